// The macros against what the system itself reports for each folder.
#include "tidewell/updatelist/PathMacros.h"

#include <gtest/gtest.h>
#include <shlobj.h>

#include "common/core/Paths.h"

using namespace qv;

namespace {
std::string Windows() {
    char b[1024];
    return std::string(b, GetWindowsDirectoryA(b, sizeof b));
}
std::string Special(int csidl) {
    char b[MAX_PATH + 1] = {0};
    return SHGetSpecialFolderPathA(nullptr, b, csidl, FALSE) ? b : "";
}
}  // namespace

TEST(PathMacros, EachMacroExpandsIgnoringCase) {
    struct Case {
        std::string text, expected;
    } cases[] = {
        {"#WIN#\\x.dll", Windows() + "\\x.dll"},
        {"#win#", Windows()},
        {"#Temp#setup.exe", Windows() + "\\Temp\\setup.exe"},
        {"#DESKTOP#", Special(CSIDL_DESKTOP)},
        {"#PROGRAMS#", Special(CSIDL_PROGRAMS)},
        {"#CONTROLS#", Special(CSIDL_CONTROLS)},  // no file-system path: empty
        {"#FAVOURITES#", Special(CSIDL_FAVORITES)},
        {"#STARTUP#", Special(CSIDL_STARTUP)},
        {"#SENDTO#", Special(CSIDL_SENDTO)},
        {"#STARTMENU#", Special(CSIDL_STARTMENU)},
        {"#FONTS#", Special(CSIDL_FONTS)},
        {"#COOKIES#", Special(CSIDL_COOKIES)},
        {"#HISTORY#", Special(CSIDL_HISTORY)},
        {"#SELF#", ModuleFileName()},
        {"#windows#", "#windows#"},
        {"#WIN##WIN#", Windows() + Windows()},
        {"http://127.0.0.1/files/#FAVORITES#", "http://127.0.0.1/files/#FAVORITES#"},
        {"", ""},
        {"#WIN", "#WIN"},
    };
    EXPECT_EQ("", Special(CSIDL_CONTROLS));
    EXPECT_NE("", Special(CSIDL_FONTS));
    for (const Case& c : cases) EXPECT_EQ(c.expected, ExpandPathMacros(c.text)) << c.text;
}

TEST(PathMacros, InsertedTextIsNotSearchedAgainByTheSameMacro) {
    EXPECT_EQ("a#X#b#X#", ReplaceAllNoCase("a#x#b#X#", "#x#", "#X#"));
    EXPECT_EQ("--", ReplaceAllNoCase("#a##A#", "#A#", "-"));
}
