#include "tests/support/TestPaths.h"

#include <windows.h>

#include <cstdio>

namespace qv::test {

std::string WinePath(const std::string& unixPath) {
    if (unixPath.size() >= 2 && unixPath[1] == ':') return unixPath;  // already a Windows path
    std::string p = "Z:" + unixPath;
    for (char& c : p)
        if (c == '/') c = '\\';
    return p;
}

std::string ShippedProgramFolder() {
    std::string f = WinePath(QV_PROGRAM_DIR);
    if (!f.empty() && f.back() != '\\') f += '\\';
    return f;
}

std::string MakeTempFolder(const std::string& hint) {
    char tmp[MAX_PATH];
    GetTempPathA(MAX_PATH, tmp);
    for (unsigned n = GetTickCount();; ++n) {
        char name[MAX_PATH + 64];
        std::snprintf(name, sizeof name, "%sqvtest-%s-%lu-%u", tmp, hint.c_str(), GetCurrentProcessId(), n);
        if (CreateDirectoryA(name, nullptr)) return std::string(name) + "\\";
        if (GetLastError() != ERROR_ALREADY_EXISTS) return {};
    }
}

void RemoveFolderTree(const std::string& folder) {
    if (folder.empty()) return;
    std::string base = folder.back() == '\\' ? folder : folder + "\\";
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((base + "*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            std::string n = fd.cFileName;
            if (n == "." || n == "..") continue;
            std::string full = base + n;
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveFolderTree(full);
            } else {
                SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(full.c_str());
            }
        } while (FindNextFileA(h, &fd));
        FindClose(h);
    }
    RemoveDirectoryA(base.c_str());
}

}  // namespace qv::test
