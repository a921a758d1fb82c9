#include "tests/options/HotKeyTool.h"

#include "common/core/Paths.h"

namespace qv::test {

namespace {
// Starts the tool with arguments; the process handle, empty when it did not start.
KernelHandle StartTool(const std::string& args) {
    std::string cmd = "\"" + ProgramFolder() + "HotKeyTool.exe\" " + args;
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return {};
    CloseHandle(pi.hThread);
    return KernelHandle(pi.hProcess);
}
}  // namespace

ShortcutHolder::ShortcutHolder(TShortCut code) {
    std::string base = "QvShortcutHolder-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(code);
    ready_.reset(CreateEventA(nullptr, TRUE, FALSE, (base + "-ready").c_str()));
    release_.reset(CreateEventA(nullptr, TRUE, FALSE, (base + "-release").c_str()));
    process_ = StartTool("hold " + std::to_string(code) + " " + base + "-ready " + base + "-release");
    if (!process_) return;
    HANDLE waits[] = {ready_.get(), process_.get()};
    held_ = WaitForMultipleObjects(2, waits, FALSE, 30000) == WAIT_OBJECT_0;
}

ShortcutHolder::~ShortcutHolder() {
    SetEvent(release_.get());
    if (process_ && WaitForSingleObject(process_.get(), 30000) != WAIT_OBJECT_0) TerminateProcess(process_.get(), 1);
}

bool SendShortcutFromAnotherProgram(TShortCut code) {
    KernelHandle p = StartTool("send " + std::to_string(code));
    if (!p) return false;
    if (WaitForSingleObject(p.get(), 30000) != WAIT_OBJECT_0) {
        TerminateProcess(p.get(), 1);
        return false;
    }
    DWORD exitCode = 1;
    GetExitCodeProcess(p.get(), &exitCode);
    return exitCode == 0;
}

}  // namespace qv::test
