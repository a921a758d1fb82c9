// What an update list asks for once a file is installed: log the user off, restart the updater
// or close it.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace qv {

// The items of a keyword text: upper-cased, split at every ";" (each ";" ends an item, an empty
// one too); the text after the last ";" is an item only when it is not empty. Blanks are kept.
std::vector<std::string> FinishedItems(const std::string& text);

// What each keyword does. An empty one is skipped.
struct TFinishedActions {
    std::function<void(UINT flags)> EndSession;  // WINRESTART, WINSHUTDOWN, WINLOGOFF: flags 0
    std::function<void()> RestartSelf;           // SELFRESTART
    std::function<void()> SelfClose;             // SELFCLOSE
};

// Runs the matching action of every item, in the text's order; an item that is no keyword is
// skipped. Restart and shut-down are asked as the plain log-off, never forced.
void RunFinishedActions(const std::string& text, const TFinishedActions& actions);

// On the NT family first enables the shutdown privilege of the process (failures ignored), then
// asks the system to end the session with `flags`. Returns whether the request was accepted;
// the session ends some time later.
bool EndWindowsSession(UINT flags);

// The call that ends the session (ExitWindowsEx). Tests replace it, so that the suite does not
// log its own user off; returns the one it replaced.
using TSessionEndCall = std::function<BOOL(UINT flags, DWORD reserved)>;
TSessionEndCall SetSessionEndCall(TSessionEndCall call);

}  // namespace qv
