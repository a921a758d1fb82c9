#include "common/core/OSError.h"

#include <cstdio>

namespace qv {

std::string SysErrorMessage(DWORD code) {
    char* text = nullptr;
    DWORD n = ::FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                   FORMAT_MESSAGE_IGNORE_INSERTS,
                               nullptr, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string result;
    if (n && text) {
        result.assign(text, n);
        ::LocalFree(text);
    }
    while (!result.empty() && (result.back() == '\r' || result.back() == '\n' || result.back() == ' ' ||
                               result.back() == '.'))
        result.pop_back();
    return result;
}

static std::string OSErrorText(DWORD code) {
    char head[64];
    std::snprintf(head, sizeof head, "System Error. Code: %lu", static_cast<unsigned long>(code));
    std::string msg = SysErrorMessage(code);
    return msg.empty() ? head : std::string(head) + ". " + msg;
}

EOSError::EOSError(DWORD code) : std::runtime_error(OSErrorText(code)), code_(code) {}

void RaiseLastOSError() {
    DWORD code = ::GetLastError();
    throw EOSError(code);
}

void RaiseOSError(DWORD code) { throw EOSError(code); }

}  // namespace qv
