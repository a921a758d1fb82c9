// The texts the download page and the notification-area icon show.
#pragma once
#include <cstdint>
#include <string>

namespace qv {

extern const char kDownloadingVerb[];  // "Downloading "
extern const char kInstallingVerb[];   // "Installing "
// The five-line "components are running" message, lines joined by CR LF.
extern const char kRunningMessageText[];

// verb + product + " - " + done KB + " KB / " + size KB + " KB ...", KB by integer division.
std::string ProgressLine(const std::string& verb, const std::string& productName, int64_t bytesDone, int64_t fileSize);
// verb + " Updates... " + percent + "%" (two blanks: the verb ends with one).
std::string ProgressHint(const std::string& verb, int totalPercent);
// part / whole as a percentage, rounded halves to even, held to 0..100; 0 when whole is 0 or
// less (an entry without a size, an empty session).
int ProgressPercent(double part, double whole);

}  // namespace qv
