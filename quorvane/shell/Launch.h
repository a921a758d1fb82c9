// What the shell opens for the program: the help file, the updater and the support page. Each
// is a plain "Open" request to the shell; its result is not looked at, so a missing file
// changes nothing.
#pragma once
#include <windows.h>

#include <string>

namespace qv {

// The maker's support page.
extern const char* const kSupportUrl;

// folder: the program's folder with a trailing backslash (empty: the running program's).
void OpenHelpFile(HWND owner, const std::string& folder = "");
void RunUpdater(HWND owner, const std::string& folder = "");
void OpenSupportPage(HWND owner);

// A request to the shell: verb ("Open", "explore") on target, with owner as parent, no
// parameters, no working folder, the default show mode; the result is not looked at.
void ShellRequest(HWND owner, const char* verb, const std::string& target);

// The paths the first two open.
std::string HelpFilePath(const std::string& folder = "");
std::string UpdaterPath(const std::string& folder = "");

}  // namespace qv
