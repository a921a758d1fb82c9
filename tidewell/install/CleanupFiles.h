// Files the updater removes when it ends: what the command line named and the temporary
// download files.
#pragma once
#include <string>
#include <vector>

namespace qv {

// In list order: each file is emptied and deleted; a file that cannot be opened (still held
// open elsewhere, already gone) is left as it is and the next one is treated. The list ends empty.
void DeleteCleanupFiles(std::vector<std::string>& files);

}  // namespace qv
