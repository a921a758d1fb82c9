#include "tidewell/install/CleanupFiles.h"

#include <windows.h>

namespace qv {

void DeleteCleanupFiles(std::vector<std::string>& files) {
    for (const std::string& path : files) {
        HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE) continue;
        CloseHandle(h);
        DeleteFileA(path.c_str());
    }
    files.clear();
}

}  // namespace qv
