#include "tidewell/record/SessionRecord.h"

#include "common/core/Registry.h"
#include "tidewell/UpdaterKeys.h"

namespace qv {

const char kSessionSuccessText[] = "Tidewell session completed successfully";

std::string SessionErrorText(const std::string& message) {
    return "Tidewell encountered an error: \"" + message + "\".";
}

namespace {

using FormatFn = int(WINAPI*)(LCID, DWORD, const SYSTEMTIME*, LPCSTR, LPSTR, int);

std::string FormatWith(FormatFn format, LCID locale, DWORD flags, const SYSTEMTIME& when) {
    int n = format(locale, flags, &when, nullptr, nullptr, 0);
    if (n <= 0) return {};
    std::string text(static_cast<size_t>(n), '\0');
    n = format(locale, flags, &when, nullptr, &text[0], n);
    text.resize(n > 0 ? static_cast<size_t>(n - 1) : 0);  // n counts the terminating NUL
    return text;
}

}  // namespace

std::string FormatSessionDate(const SYSTEMTIME& when, LCID locale) {
    return FormatWith(::GetDateFormatA, locale, DATE_SHORTDATE, when) + " " +
           FormatWith(::GetTimeFormatA, locale, 0, when);
}

bool RecordSessionResult(const std::string& status) {
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    TRegistry reg;
    reg.SetRootKey(HKEY_LOCAL_MACHINE);
    if (reg.OpenKey(kTidewellKeyPath, true) != ERROR_SUCCESS) return false;
    return reg.WriteString("LastDate", FormatSessionDate(now)) == ERROR_SUCCESS &&
           reg.WriteString("LastStr", status) == ERROR_SUCCESS;
}

TSessionReport ReadSessionReport() {
    TRegistry reg;
    reg.SetRootKey(HKEY_LOCAL_MACHINE);
    std::string date, status;
    if (reg.OpenKeyReadOnly(kTidewellKeyPath) == ERROR_SUCCESS && reg.ReadString("LastDate", date) == ERROR_SUCCESS) {
        reg.ReadString("LastStr", status);  // missing or not text: the box stays empty
        return {"Tidewell last run was on: " + date, status};
    }
    return {"Tidewell last run was on:  UNKNOWN", {}};
}

}  // namespace qv
