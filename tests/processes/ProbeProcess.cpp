#include "tests/processes/ProbeProcess.h"

#include <cstdio>

#include "tests/support/TestPaths.h"

namespace qv::test {

std::string ProbePath() { return WinePath(QV_PROBE_PROGRAM); }

namespace {
bool Start(const std::string& exe, const std::string& arguments, HANDLE output, PROCESS_INFORMATION& pi) {
    std::string command = "\"" + exe + "\" " + arguments;
    STARTUPINFOA si{};
    si.cb = sizeof si;
    if (output) {
        si.dwFlags = STARTF_USESTDHANDLES;
        si.hStdOutput = output;
        si.hStdError = output;
        si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    }
    return CreateProcessA(exe.c_str(), &command[0], nullptr, nullptr, output != nullptr, 0, nullptr, nullptr,
                          &si, &pi) != FALSE;
}
}  // namespace

ProbeProcess ProbeProcess::Sleeper(int threads, int megabytes, bool protect, const std::string& exe, int seconds) {
    static unsigned counter = 0;
    char name[96];
    std::snprintf(name, sizeof name, "qv-probe-ready-%lu-%u", GetCurrentProcessId(), ++counter);
    HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, name);
    char arguments[160];
    std::snprintf(arguments, sizeof arguments, "sleep %d %s %d %d%s", threads, name, megabytes, seconds,
                  protect ? " protect" : "");
    ProbeProcess p;
    PROCESS_INFORMATION pi{};
    if (ready && Start(exe, arguments, nullptr, pi)) {
        CloseHandle(pi.hThread);
        p.process_ = pi.hProcess;
        p.id_ = pi.dwProcessId;
        HANDLE both[2] = {ready, pi.hProcess};
        if (WaitForMultipleObjects(2, both, FALSE, 20000) != WAIT_OBJECT_0) p.End();
    }
    if (ready) CloseHandle(ready);
    return p;
}

ProbeProcess::ProbeProcess(ProbeProcess&& o) noexcept : process_(o.process_), id_(o.id_) {
    o.process_ = nullptr;
    o.id_ = 0;
}

ProbeProcess& ProbeProcess::operator=(ProbeProcess&& o) noexcept {
    if (this != &o) {
        End();
        std::swap(process_, o.process_);
        std::swap(id_, o.id_);
    }
    return *this;
}

ProbeProcess::~ProbeProcess() { End(); }

bool ProbeProcess::Running() const { return process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT; }

void ProbeProcess::End() {
    if (!process_) return;
    TerminateProcess(process_, 1);
    WaitForSingleObject(process_, 10000);
    CloseHandle(process_);
    // The system lets go of an ended process a little after its last handle is closed.
    for (int i = 0; i < 1000; ++i) {
        HANDLE h = OpenProcess(SYNCHRONIZE, FALSE, id_);
        if (!h) break;
        CloseHandle(h);
        Sleep(10);
    }
    process_ = nullptr;
    id_ = 0;
}

std::string RunProbe(const std::string& arguments, const std::string& exe) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 1 << 16)) return {};
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    PROCESS_INFORMATION pi{};
    bool started = Start(exe, arguments, writeEnd, pi);
    CloseHandle(writeEnd);
    std::string out;
    if (started) {
        CloseHandle(pi.hThread);
        if (WaitForSingleObject(pi.hProcess, 30000) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 1);
        CloseHandle(pi.hProcess);
        char buf[4096];
        DWORD n = 0;
        while (ReadFile(readEnd, buf, sizeof buf, &n, nullptr) && n > 0) out.append(buf, n);
    }
    CloseHandle(readEnd);
    return out;
}

bool IsLiveIcon(HICON icon) {
    ICONINFO info;
    if (!GetIconInfo(icon, &info)) return false;
    if (info.hbmMask) DeleteObject(info.hbmMask);
    if (info.hbmColor) DeleteObject(info.hbmColor);
    return true;
}

}  // namespace qv::test
