#include "tests/download/DownloadSupport.h"

#include <cstdio>
#include <fstream>
#include <sstream>

#include "tests/support/TestPaths.h"

namespace qv::test {

std::string ProbeProgram() { return WinePath(QV_DOWNLOAD_PROBE); }

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return "<missing>";
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void WriteText(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

RunningProbe::RunningProbe(const std::string& path, bool protect) {
    if (!CopyFileA(ProbeProgram().c_str(), path.c_str(), FALSE)) return;
    static unsigned counter = 0;
    char event[80];
    std::snprintf(event, sizeof event, "qv-download-probe-%lu-%u", GetCurrentProcessId(), ++counter);
    KernelHandle ready(CreateEventA(nullptr, TRUE, FALSE, event));
    std::string command = "\"" + path + "\" stay " + event + (protect ? " protect" : "");
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(path.c_str(), &command[0], nullptr, nullptr, FALSE, DETACHED_PROCESS, nullptr, nullptr, &si, &pi))
        return;
    CloseHandle(pi.hThread);
    process_.reset(pi.hProcess);
    HANDLE both[2] = {ready.get(), pi.hProcess};
    WaitForMultipleObjects(2, both, FALSE, 20000);
}

RunningProbe::~RunningProbe() {
    if (process_ && !Exited()) {
        TerminateProcess(process_.get(), 1);
        WaitForSingleObject(process_.get(), 5000);
    }
}

}  // namespace qv::test
