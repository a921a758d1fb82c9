// The macros an update list may use in its download addresses and destinations.
#pragma once
#include <windows.h>
#include <string>

namespace qv {

// Replaces, one macro after another in this order and ignoring letter case, every "#WIN#",
// "#TEMP#", "#DESKTOP#", "#PROGRAMS#", "#CONTROLS#", "#FAVOURITES#", "#STARTUP#", "#SENDTO#",
// "#STARTMENU#", "#FONTS#", "#COOKIES#", "#HISTORY#" and "#SELF#". Folders come without a
// trailing backslash, except #TEMP# (the Windows folder's Temp, with one). A special folder
// that has no file-system path, or whose lookup fails, gives the empty text.
std::string ExpandPathMacros(const std::string& text, HWND owner = nullptr);

// Every occurrence of macro (ASCII letters compared without case) replaced by value; the
// search goes on after each inserted value.
std::string ReplaceAllNoCase(const std::string& text, const std::string& macro, const std::string& value);

}  // namespace qv
