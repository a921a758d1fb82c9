#include "tidewell/download/DownloadPaths.h"

#include <windows.h>

#include <algorithm>

#include "common/core/Paths.h"
#include "common/core/Text.h"

namespace qv {

static std::string WithoutLeadingBackslashes(const std::string& relative) {
    size_t start = relative.find_first_not_of('\\');
    return start == std::string::npos ? std::string() : relative.substr(start);
}

static bool IsFolder(const std::string& path) {
    DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

void CreateDirectories(const std::string& path) {
    bool firstSeen = false;
    for (size_t i = 0; i < path.size(); ++i) {
        if (path[i] != '\\') continue;
        if (!firstSeen) {
            firstSeen = true;  // the drive's root ("C:\") or the start of a network name
            continue;
        }
        std::string prefix = path.substr(0, i);
        if (!prefix.empty() && !IsFolder(prefix)) CreateDirectoryA(prefix.c_str(), nullptr);
    }
}

std::string PrefixFileName(const std::string& path, const std::string& prefix) {
    return ExtractFilePath(path) + prefix + ExtractFileName(path);
}

bool LeavesFolder(const std::string& relative, const std::string& folder) {
    std::string rest = WithoutLeadingBackslashes(relative);
    if (rest.find(':') != std::string::npos) return true;  // a drive, or a stream of a file
    // The system drops trailing dots and blanks of a part, so ".. " and "..." can climb too.
    size_t start = 0;
    while (start <= rest.size()) {
        size_t end = rest.find_first_of("\\/", start);
        if (end == std::string::npos) end = rest.size();
        std::string part = rest.substr(start, end - start);
        bool dotsAndBlanks = !part.empty() && part.find_first_not_of(". ") == std::string::npos;
        if (dotsAndBlanks && std::count(part.begin(), part.end(), '.') >= 2) return true;
        start = end + 1;
    }
    // Whatever the parts look like, the resolved path must stay below the folder.
    std::string joined = folder + rest;
    char full[MAX_PATH * 2];
    DWORD n = GetFullPathNameA(joined.c_str(), sizeof full, full, nullptr);
    if (n == 0 || n >= sizeof full) return true;
    std::string base = folder;
    if (!base.empty() && base.back() != '\\') base += '\\';
    std::string resolved(full, n);
    if (resolved.size() + 1 == base.size()) resolved += '\\';  // the folder itself
    return !(resolved.size() >= base.size() && SameTextAscii(resolved.substr(0, base.size()), base));
}

std::string DestinationPath(const std::string& relative, const std::string& programFolder) {
    std::string result = programFolder + WithoutLeadingBackslashes(relative);
    if (!LeavesFolder(relative, programFolder)) CreateDirectories(result);
    return result;
}

std::string DestinationPath(const std::string& relative) { return DestinationPath(relative, ProgramFolder()); }

}  // namespace qv
