#include "tidewell/updatelist/PathMacros.h"

#include <shlobj.h>

#include "common/core/Paths.h"
#include "common/core/Text.h"

namespace qv {

namespace {

std::string WindowsFolder() {
    char buf[1024] = {0};
    UINT n = GetWindowsDirectoryA(buf, sizeof buf);
    return (n == 0 || n >= sizeof buf) ? std::string() : std::string(buf, n);
}

// Bound at run time: the first 9x and NT4 systems have no such export in their shell.
std::string SpecialFolder(HWND owner, int csidl) {
    using Fn = BOOL(WINAPI*)(HWND, LPSTR, int, BOOL);
    static Fn fn = [] {
        HMODULE shell = LoadLibraryA("shell32.dll");
        return shell ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(shell, "SHGetSpecialFolderPathA")))
                     : nullptr;
    }();
    char buf[MAX_PATH + 1] = {0};
    if (!fn || !fn(owner, buf, csidl, FALSE)) return {};
    return buf;
}

}  // namespace

std::string ReplaceAllNoCase(const std::string& text, const std::string& macro, const std::string& value) {
    std::string upperText = UpperCaseAscii(text);
    std::string upperMacro = UpperCaseAscii(macro);
    std::string out;
    size_t from = 0;
    for (size_t at; (at = upperText.find(upperMacro, from)) != std::string::npos; from = at + macro.size()) {
        out.append(text, from, at - from);
        out += value;
    }
    out.append(text, from, std::string::npos);
    return out;
}

std::string ExpandPathMacros(const std::string& text, HWND owner) {
    struct Folder {
        const char* macro;
        int csidl;
    };
    static const Folder kFolders[] = {
        {"#DESKTOP#", CSIDL_DESKTOP},     {"#PROGRAMS#", CSIDL_PROGRAMS}, {"#CONTROLS#", CSIDL_CONTROLS},
        {"#FAVOURITES#", CSIDL_FAVORITES}, {"#STARTUP#", CSIDL_STARTUP},   {"#SENDTO#", CSIDL_SENDTO},
        {"#STARTMENU#", CSIDL_STARTMENU}, {"#FONTS#", CSIDL_FONTS},       {"#COOKIES#", CSIDL_COOKIES},
        {"#HISTORY#", CSIDL_HISTORY},
    };
    std::string s = ReplaceAllNoCase(text, "#WIN#", WindowsFolder());
    s = ReplaceAllNoCase(s, "#TEMP#", WindowsFolder() + "\\Temp\\");
    for (const Folder& f : kFolders) {
        if (UpperCaseAscii(s).find(f.macro) == std::string::npos) continue;  // no lookup for what isn't there
        s = ReplaceAllNoCase(s, f.macro, SpecialFolder(owner, f.csidl));
    }
    return ReplaceAllNoCase(s, "#SELF#", ModuleFileName());
}

}  // namespace qv
