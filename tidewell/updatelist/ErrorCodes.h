// Every failure of the updater's work is one message ending with its code, shown on the error
// page and kept as the last session's status. The table of all of them lives here.
#pragma once
#include <string>

namespace qv {

enum class TErtd {
    E501 = 501,    // the received list cannot be split into lines
    E537 = 537,    // the list header cannot be read
    E655 = 655,    // no connection to the update server (list check)
    E671 = 671,    // the HEAD request for the list failed
    E683 = 683,    // the GET request for the list failed, or processing after the header failed
    E813 = 813,    // no connection to the update server (download)
    E835 = 835,    // a running program could not be closed
    E865 = 865,    // the HEAD request for a file failed
    E886 = 886,    // the GET request for a file failed
    E898 = 898,    // the temporary download file could not be created
    E1153 = 1153,  // the destination file could not be created
    E1171 = 1171,  // copying a full block to the destination failed
    E1181 = 1181,  // copying the last, partial block failed
};

// The whole message of a code. Only ERTD-835 names something: the program that stayed open.
std::string ErtdMessage(TErtd code, const std::string& productName = std::string());

}  // namespace qv
