// Where a downloaded file goes: paths below the program folder, the folders on the way, and
// the "~" names that the temporary and moved-aside files carry.
#pragma once
#include <string>

namespace qv {

// The program folder followed by `relative` without its leading backslashes; the missing
// folders on the way are created (failures are silent). A path that LeavesFolder creates nothing.
std::string DestinationPath(const std::string& relative, const std::string& programFolder);
// The same below the updater's own folder.
std::string DestinationPath(const std::string& relative);

// Creates every parent folder of `path` that does not exist yet: at each backslash but the first,
// the text before it is made a folder. The part after the last backslash is never created.
void CreateDirectories(const std::string& path);

// The folder part of path (with its backslash), then prefix, then the file-name part.
std::string PrefixFileName(const std::string& path, const std::string& prefix);

// True when `relative`, put below `folder`, may name something outside it: any ".." part (also with
// forward slashes or trailing dots and blanks), a drive or stream colon, or a full path that the
// system resolves to somewhere else.
bool LeavesFolder(const std::string& relative, const std::string& folder);

}  // namespace qv
