// The sixteen folders of the System page, in row order, each a full path without a trailing
// separator and empty when it cannot be found.
#pragma once
#include <string>
#include <vector>

namespace qv {

struct TSpecialFolder {
    const char* Caption;  // "App Data" ... "Windows"
    std::string Path;
};

std::vector<TSpecialFolder> ReadSpecialFolders();
// The caption of a row (0 to 15), as ReadSpecialFolders gives it.
const char* SpecialFolderCaption(int row);

// The shell's folder for a CSIDL number, without a trailing separator; empty when not found.
std::string ShellFolderPath(int csidl);
// The path without trailing backslashes ("C:\" gives "C:").
std::string WithoutTrailingSeparator(std::string path);

}  // namespace qv
