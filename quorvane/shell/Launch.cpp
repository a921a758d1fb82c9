#include "quorvane/shell/Launch.h"

#include <shellapi.h>

#include "common/core/Paths.h"

namespace qv {

const char* const kSupportUrl = "http://www.zephlor.example/support/overview.htm";

static std::string Folder(const std::string& folder) { return folder.empty() ? ProgramFolder() : folder; }

std::string HelpFilePath(const std::string& folder) { return Folder(folder) + "Help\\Quorvane.chm"; }
std::string UpdaterPath(const std::string& folder) { return Folder(folder) + "Tidewell.exe"; }

void ShellRequest(HWND owner, const char* verb, const std::string& target) {
    // No error box of the shell's own either: a missing file is simply not opened.
    SHELLEXECUTEINFOA sei{};
    sei.cbSize = sizeof sei;
    sei.fMask = SEE_MASK_FLAG_NO_UI;
    sei.hwnd = owner;
    sei.lpVerb = verb;
    sei.lpFile = target.c_str();
    sei.nShow = SW_SHOWDEFAULT;
    ShellExecuteExA(&sei);
}

static void ShellOpen(HWND owner, const std::string& target) { ShellRequest(owner, "Open", target); }

void OpenHelpFile(HWND owner, const std::string& folder) { ShellOpen(owner, HelpFilePath(folder)); }
void RunUpdater(HWND owner, const std::string& folder) { ShellOpen(owner, UpdaterPath(folder)); }
void OpenSupportPage(HWND owner) { ShellOpen(owner, kSupportUrl); }

}  // namespace qv
