#include "tidewell/install/FinishedActions.h"

#include "common/core/Handles.h"
#include "common/core/Text.h"

namespace qv {

namespace {

TSessionEndCall& SessionEndCall() {
    static TSessionEndCall call = [](UINT flags, DWORD reserved) { return ExitWindowsEx(flags, reserved); };
    return call;
}

bool IsNtFamily() {
    OSVERSIONINFOA v{};
    v.dwOSVersionInfoSize = sizeof v;
    return GetVersionExA(&v) && v.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

// The 9x family has no privileges; the NT family refuses ExitWindowsEx without this one.
void EnableShutdownPrivilege() {
    KernelHandle token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, token.put())) return;
    TOKEN_PRIVILEGES tp{};
    if (!LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &tp.Privileges[0].Luid)) return;
    tp.PrivilegeCount = 1;
    tp.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    AdjustTokenPrivileges(token.get(), FALSE, &tp, 0, nullptr, nullptr);
}

}  // namespace

std::vector<std::string> FinishedItems(const std::string& text) {
    std::vector<std::string> items;
    std::string upper = UpperCaseAscii(text);
    size_t start = 0;
    for (size_t semi; (semi = upper.find(';', start)) != std::string::npos; start = semi + 1)
        items.push_back(upper.substr(start, semi - start));
    if (start < upper.size()) items.push_back(upper.substr(start));
    return items;
}

void RunFinishedActions(const std::string& text, const TFinishedActions& actions) {
    for (const std::string& item : FinishedItems(text)) {
        if (item == "WINRESTART" || item == "WINSHUTDOWN" || item == "WINLOGOFF") {
            if (actions.EndSession) actions.EndSession(0);  // the plain log-off request
        } else if (item == "SELFRESTART") {
            if (actions.RestartSelf) actions.RestartSelf();
        } else if (item == "SELFCLOSE") {
            if (actions.SelfClose) actions.SelfClose();
        }
    }
}

bool EndWindowsSession(UINT flags) {
    if (IsNtFamily()) EnableShutdownPrivilege();
    TSessionEndCall call = SessionEndCall();
    return call && call(flags, 0);
}

TSessionEndCall SetSessionEndCall(TSessionEndCall call) {
    TSessionEndCall previous = std::move(SessionEndCall());
    SessionEndCall() = std::move(call);
    return previous;
}

}  // namespace qv
