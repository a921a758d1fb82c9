// The updater's command line: -S (unattended), -M (tray only), and files to remove at the end.
#pragma once
#include <string>
#include <vector>

namespace qv {

// The arguments after the program's own name, split as the system's start-up code splits
// them: blanks separate, double quotes group (and are dropped).
std::vector<std::string> SplitCommandLine(const std::string& commandLine);
std::vector<std::string> ProgramArguments();  // of this process

struct TCommandLine {
    bool SilentMode = false;  // -S, any letter case, any position
    bool TrayMode = false;    // -M
    std::vector<std::string> ExistingFiles;  // arguments naming an existing file, in order
};
TCommandLine ParseCommandLine(const std::vector<std::string>& args);

}  // namespace qv
