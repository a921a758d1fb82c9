#include "tidewell/download/DownloadProgress.h"

#include "common/core/Rounding.h"
#include "common/core/Text.h"

namespace qv {

const char kDownloadingVerb[] = "Downloading ";
const char kInstallingVerb[] = "Installing ";
const char kRunningMessageText[] =
    "Quorvane or some of its components are running.\r\n"
    " Tidewell will close Quorvane and all of its components now then restart them after\r\n"
    " download is finished.\r\n"
    "\r\n"
    "Press OK to close Quorvane and all of its components.";

std::string ProgressLine(const std::string& verb, const std::string& productName, int64_t bytesDone, int64_t fileSize) {
    return verb + productName + " - " + IntToStr(bytesDone / 1024) + " KB / " + IntToStr(fileSize / 1024) + " KB ...";
}

std::string ProgressHint(const std::string& verb, int totalPercent) {
    return verb + " Updates... " + IntToStr(totalPercent) + "%";
}

int ProgressPercent(double part, double whole) {
    if (whole <= 0) return 0;
    int p = Percent(part, whole);
    return p < 0 ? 0 : (p > 100 ? 100 : p);
}

}  // namespace qv
