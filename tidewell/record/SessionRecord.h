// The record of the updater's last session (Tidewell key: LastDate, LastStr) and what the
// report window shows of it.
#pragma once
#include <windows.h>
#include <string>

namespace qv {

extern const char kSessionSuccessText[];  // "Tidewell session completed successfully"
// "Tidewell encountered an error: " followed by the message in double quotes and a full stop.
std::string SessionErrorText(const std::string& message);

// The user's regional short date, a blank and the regional long time of when.
std::string FormatSessionDate(const SYSTEMTIME& when, LCID locale = LOCALE_USER_DEFAULT);

// Writes LastDate (now, local time) and LastStr := status, creating the key when missing.
// Never throws: when the key cannot be opened or a value not written, the record stays as it
// was (or has only its LastDate renewed) and the result is false; callers carry on, because
// the session's own outcome (the error page, Finish) must not depend on it.
bool RecordSessionResult(const std::string& status);

// What the report window shows, read afresh from the registry.
struct TSessionReport {
    std::string LastRun;  // Label1
    std::string Status;   // the status box
};
TSessionReport ReadSessionReport();

}  // namespace qv
