#include "quorvane/sysinfo/SpecialFolders.h"

#include <windows.h>
#include <shlobj.h>

#include <iterator>

#include "common/core/Registry.h"

namespace qv {

namespace {

// Rows that are not shell special folders.
enum : int { kProgramFiles = -1, kSystem = -2, kTemp = -3, kWindows = -4 };

struct Row {
    const char* Caption;
    int Source;  // a CSIDL number, or one of the values above
};

// CSIDL numbers are spelled out: the older shells that lack some of the names still know them.
const Row kRows[] = {
    {"App Data", 26},  {"Cookies", 33},  {"Desktop", 0},          {"Favorites", 6},
    {"Fonts", 20},     {"History", 34},  {"Cache", 32},           {"Net Places", 19},
    {"Program Files", kProgramFiles},    {"Recent", 8},           {"Send To", 9},
    {"Start menu", 11}, {"System", kSystem}, {"Temp", kTemp},     {"Templates", 21},
    {"Windows", kWindows},
};

// A system call that fills a buffer of MAX_PATH and returns the length (0 on failure, more than
// the buffer when it did not fit).
template <class Fn>
std::string FromBuffer(Fn fn) {
    char buf[MAX_PATH + 1] = {};
    UINT n = fn(buf, static_cast<UINT>(MAX_PATH));
    if (n == 0 || n > MAX_PATH) return {};
    return WithoutTrailingSeparator(std::string(buf, n));
}

std::string ProgramFilesPath() {
    TRegistry reg(KEY_READ);
    reg.SetRootKey(HKEY_LOCAL_MACHINE);
    std::string value;
    if (reg.OpenKeyReadOnly("SOFTWARE\\Microsoft\\Windows\\CurrentVersion") != ERROR_SUCCESS ||
        reg.ReadString("ProgramFilesDir", value) != ERROR_SUCCESS)
        return {};
    return WithoutTrailingSeparator(value);
}

std::string RowPath(int source) {
    switch (source) {
    case kProgramFiles:
        return ProgramFilesPath();
    case kSystem:
        return FromBuffer([](char* b, UINT n) { return ::GetSystemDirectoryA(b, n); });
    case kTemp:
        return FromBuffer([](char* b, UINT n) { return static_cast<UINT>(::GetTempPathA(n, b)); });
    case kWindows:
        return FromBuffer([](char* b, UINT n) { return ::GetWindowsDirectoryA(b, n); });
    default:
        return ShellFolderPath(source);
    }
}

}  // namespace

std::string WithoutTrailingSeparator(std::string path) {
    while (!path.empty() && path.back() == '\\') path.pop_back();
    return path;
}

std::string ShellFolderPath(int csidl) {
    LPITEMIDLIST pidl = nullptr;
    if (FAILED(::SHGetSpecialFolderLocation(nullptr, csidl, &pidl)) || !pidl) return {};
    char buf[MAX_PATH + 1] = {};
    const BOOL ok = ::SHGetPathFromIDListA(pidl, buf);
    ::CoTaskMemFree(pidl);
    return ok ? WithoutTrailingSeparator(buf) : std::string();
}

std::vector<TSpecialFolder> ReadSpecialFolders() {
    std::vector<TSpecialFolder> folders;
    for (const Row& r : kRows) folders.push_back({r.Caption, RowPath(r.Source)});
    return folders;
}

const char* SpecialFolderCaption(int row) {
    return row >= 0 && row < static_cast<int>(std::size(kRows)) ? kRows[row].Caption : "";
}

}  // namespace qv
