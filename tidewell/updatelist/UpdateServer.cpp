#include "tidewell/updatelist/UpdateServer.h"

#include "common/core/Registry.h"
#include "common/core/Text.h"
#include "tidewell/UpdaterKeys.h"

namespace qv {

const char kDefaultUpdateServer[] = "http://update.zephlor.example";
const char kUpdateListPath[] = "/downloads/updates/quorvane/quorvane.xml";

std::string UpdateServerAddress() {
    TRegistry reg;
    reg.SetRootKey(HKEY_LOCAL_MACHINE);
    std::string value;
    if (reg.OpenKeyReadOnly(kTidewellKeyPath) == ERROR_SUCCESS) reg.ReadString("UpdateServer", value);
    value = Trim(value);
    while (!value.empty() && value.back() == '/') value.pop_back();  // the list path brings its own
    return value.empty() ? std::string(kDefaultUpdateServer) : value;
}

}  // namespace qv
