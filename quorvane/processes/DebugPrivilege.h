// The debug privilege, enabled for as long as one object lives: on the current thread's own
// token, or on the process token when the thread has none. The destructor puts back the
// previous state and closes the token. NT family only.
#pragma once
#include <windows.h>

#include "common/core/Handles.h"

namespace qv {

class TDebugPrivilege {
public:
    TDebugPrivilege();
    ~TDebugPrivilege();
    TDebugPrivilege(const TDebugPrivilege&) = delete;
    TDebugPrivilege& operator=(const TDebugPrivilege&) = delete;

    bool Enabled() const { return enabled_; }
    // Why it could not be enabled (ERROR_NOT_ALL_ASSIGNED when the token lacks it); 0 when enabled.
    DWORD Error() const { return error_; }
    // Whether the token adjusted is the thread's own rather than the process's.
    bool OnThreadToken() const { return onThreadToken_; }

private:
    bool OpenToken();
    bool Enable();

    KernelHandle token_;
    TOKEN_PRIVILEGES previous_{};
    bool enabled_ = false;
    bool onThreadToken_ = false;
    DWORD error_ = 0;
};

}  // namespace qv
