// Paths of the running program and plain path splitting (backslash separated, ANSI).
#pragma once
#include <string>

namespace qv {

// Full path of the running executable, as the process was started.
std::string ModuleFileName();
// Folder of the running executable, with a trailing backslash.
std::string ProgramFolder();
// The part after the last backslash (or colon); the whole text when it has none.
std::string ExtractFileName(const std::string& path);
// The part up to and including the last backslash (or colon); empty when it has none.
std::string ExtractFilePath(const std::string& path);
bool FileExists(const std::string& path);

}  // namespace qv
