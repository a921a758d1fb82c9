// Where the updater looks for its list and files: the maker's update server, or the server
// the machine's Tidewell key names in UpdateServer (a mirror, a test server, another port).
#pragma once
#include <string>

namespace qv {

extern const char kDefaultUpdateServer[];  // http://update.zephlor.example
extern const char kUpdateListPath[];       // /downloads/updates/quorvane/quorvane.xml

// The base address (scheme, host, optional port; no trailing slash): the UpdateServer text
// value when it holds one, else the built-in address.
std::string UpdateServerAddress();

}  // namespace qv
