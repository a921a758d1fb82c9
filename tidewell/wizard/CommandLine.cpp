#include "tidewell/wizard/CommandLine.h"

#include <windows.h>

#include "common/core/Paths.h"
#include "common/core/Text.h"

namespace qv {

std::vector<std::string> SplitCommandLine(const std::string& commandLine) {
    std::vector<std::string> parts;
    size_t i = 0, n = commandLine.size();
    while (true) {
        while (i < n && (commandLine[i] == ' ' || commandLine[i] == '\t')) ++i;
        if (i >= n) break;
        std::string part;
        bool quoted = false;
        while (i < n && (quoted || (commandLine[i] != ' ' && commandLine[i] != '\t'))) {
            if (commandLine[i] == '"')
                quoted = !quoted;
            else
                part += commandLine[i];
            ++i;
        }
        parts.push_back(part);
    }
    if (!parts.empty()) parts.erase(parts.begin());  // the program's own name
    return parts;
}

std::vector<std::string> ProgramArguments() { return SplitCommandLine(GetCommandLineA()); }

TCommandLine ParseCommandLine(const std::vector<std::string>& args) {
    TCommandLine c;
    for (const std::string& a : args) {
        if (!a.empty() && FileExists(a)) c.ExistingFiles.push_back(a);
        std::string upper = UpperCaseAscii(a);
        if (upper == "-S") c.SilentMode = true;
        if (upper == "-M") c.TrayMode = true;
    }
    return c;
}

}  // namespace qv
