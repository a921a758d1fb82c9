#include "quorvane/processes/DebugPrivilege.h"

namespace qv {

namespace {
const DWORD kTokenAccess = TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY;

using OpenThreadTokenFn = BOOL(WINAPI*)(HANDLE, DWORD, BOOL, PHANDLE);

// Not on the 9x family's advapi32.
OpenThreadTokenFn BoundOpenThreadToken() {
    HMODULE advapi = ::GetModuleHandleA("advapi32.dll");
    if (!advapi) return nullptr;
    return reinterpret_cast<OpenThreadTokenFn>(
        reinterpret_cast<void*>(::GetProcAddress(advapi, "OpenThreadToken")));
}
}  // namespace

TDebugPrivilege::TDebugPrivilege() {
    if (OpenToken()) enabled_ = Enable();
    if (!enabled_) token_.reset();
}

TDebugPrivilege::~TDebugPrivilege() {
    if (enabled_) ::AdjustTokenPrivileges(token_.get(), FALSE, &previous_, 0, nullptr, nullptr);
}

bool TDebugPrivilege::OpenToken() {
    static const OpenThreadTokenFn openThreadToken = BoundOpenThreadToken();
    if (openThreadToken) {
        if (openThreadToken(::GetCurrentThread(), kTokenAccess, FALSE, token_.put())) {
            onThreadToken_ = true;
            return true;
        }
        DWORD err = ::GetLastError();
        // Wine fails without setting an error code where Windows says ERROR_NO_TOKEN.
        if (err != ERROR_NO_TOKEN && err != ERROR_SUCCESS) {
            error_ = err;
            return false;
        }
    }
    if (::OpenProcessToken(::GetCurrentProcess(), kTokenAccess, token_.put())) return true;
    error_ = ::GetLastError();
    return false;
}

bool TDebugPrivilege::Enable() {
    TOKEN_PRIVILEGES wanted{};
    wanted.PrivilegeCount = 1;
    wanted.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    if (!::LookupPrivilegeValueA(nullptr, "SeDebugPrivilege", &wanted.Privileges[0].Luid)) {
        error_ = ::GetLastError();
        return false;
    }
    DWORD length = 0;
    BOOL ok = ::AdjustTokenPrivileges(token_.get(), FALSE, &wanted, sizeof previous_, &previous_, &length);
    DWORD err = ::GetLastError();
    if (!ok) {
        error_ = err;
        return false;
    }
    // Success that changed nothing: the token does not hold the privilege at all.
    if (err == ERROR_NOT_ALL_ASSIGNED) {
        error_ = err;
        return false;
    }
    return true;
}

}  // namespace qv
