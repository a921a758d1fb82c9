// Paths as the programs under test see them.
#pragma once
#include <string>

namespace qv::test {

// A Linux path in the Windows form Wine maps it to (drive Z: is the Linux root).
std::string WinePath(const std::string& unixPath);
// Folder (with trailing backslash) of the shipped executables the tests run.
std::string ShippedProgramFolder();
// A fresh, empty folder below the temporary folder, removed by the caller when done.
std::string MakeTempFolder(const std::string& hint);
void RemoveFolderTree(const std::string& folder);

}  // namespace qv::test
