#include "tidewell/updatelist/ErrorCodes.h"

namespace qv {

namespace {
const char kListTrouble[] =
    "An error occurred while Tidewell was contacting the update server to download the Quorvane update list. "
    "Please verify that you are able to connect to the internet and run Tidewell again. ";
const char kServerTrouble[] =
    "An error occurred while Tidewell was contacting the update server. Please verify that you are able to "
    "connect to the internet and run Tidewell again. ";
const char kDownloadTrouble[] =
    "An error occurred while Tidewell was downloading the latest updates from the update server. Please verify "
    "that you are able to connect to the internet and run Tidewell again. If the error persists please contact us "
    "immediately. ";
const char kInstallTrouble[] =
    "An error occurred while Tidewell was trying to install the latest updates on your computer. Please verify "
    "that disk is not full and that you have full access to Quorvane folder. ";
}  // namespace

std::string ErtdMessage(TErtd code, const std::string& productName) {
    std::string suffix = "Error (ERTD-" + std::to_string(static_cast<int>(code)) + ")";
    switch (code) {
        case TErtd::E501:
        case TErtd::E537: return kListTrouble + suffix;
        case TErtd::E655:
        case TErtd::E671:
        case TErtd::E683:
        case TErtd::E813: return kServerTrouble + suffix;
        case TErtd::E835: return productName + " could not be closed. Please close it and restart Tidewell. " + suffix;
        case TErtd::E865:
        case TErtd::E886: return kDownloadTrouble + suffix;
        case TErtd::E898:
        case TErtd::E1153:
        case TErtd::E1171:
        case TErtd::E1181: return kInstallTrouble + suffix;
    }
    return kServerTrouble + suffix;
}

}  // namespace qv
