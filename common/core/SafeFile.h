// Whole-file reads with a size cap, and file replacement that never leaves a half-written file
// in place of the old one.
#pragma once
#include <windows.h>
#include <cstddef>
#include <string>

namespace qv {

// How the new file takes the old one's place. Auto: MoveFileEx with replace on the NT family;
// the 9x family has no MoveFileEx, so there the old file is deleted and the new one renamed.
enum class TReplaceMethod { Auto, MoveFileEx, DeleteThenMove };

// Reads at most maxBytes of the file; truncated tells whether it was longer.
// Returns ERROR_SUCCESS or the system's error code (ERROR_FILE_NOT_FOUND when it is missing).
DWORD ReadFileBounded(const std::string& path, size_t maxBytes, std::string& data, bool& truncated);

// The name of the temporary file that WriteFileReplacing writes next to path.
std::string ReplacementTempName(const std::string& path);

// Writes data to the temporary file next to path, flushes it to disk and only then puts it in
// place of path. On any failure the old file at path is left as it was (except in the last step
// of DeleteThenMove: once the old file is gone the new data stay in the temporary file).
// A read-only target is refused (ERROR_ACCESS_DENIED) before anything is written.
// Returns ERROR_SUCCESS or the system's error code; never throws.
DWORD WriteFileReplacing(const std::string& path, const std::string& data,
                         TReplaceMethod method = TReplaceMethod::Auto) noexcept;

}  // namespace qv
