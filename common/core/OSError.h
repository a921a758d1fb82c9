// The error that stands for "the last operating-system error": its code and the system's text.
#pragma once
#include <windows.h>
#include <stdexcept>
#include <string>

namespace qv {

// The system's message for an error code, without the trailing line break; empty when it has none.
std::string SysErrorMessage(DWORD code);

class EOSError : public std::runtime_error {
public:
    explicit EOSError(DWORD code);
    DWORD Code() const noexcept { return code_; }

private:
    DWORD code_;
};

// Throws EOSError for GetLastError() (copied first, before anything else can change it).
[[noreturn]] void RaiseLastOSError();
[[noreturn]] void RaiseOSError(DWORD code);

}  // namespace qv
