#include "tidewell/download/RunningPrograms.h"

#include <tlhelp32.h>

#include <functional>

#include "common/core/Handles.h"
#include "common/core/Paths.h"
#include "common/core/Text.h"

namespace qv {

namespace {

// ToolHelp is missing on NT 4: bound at run time, and without it there is nothing to walk.
struct TToolHelp {
    using SnapshotFn = HANDLE(WINAPI*)(DWORD, DWORD);
    using WalkFn = BOOL(WINAPI*)(HANDLE, PROCESSENTRY32*);
    SnapshotFn Snapshot = nullptr;
    WalkFn First = nullptr;
    WalkFn Next = nullptr;

    TToolHelp() {
        HMODULE kernel = GetModuleHandleA("kernel32.dll");
        if (!kernel) return;
        Snapshot = reinterpret_cast<SnapshotFn>(reinterpret_cast<void*>(GetProcAddress(kernel, "CreateToolhelp32Snapshot")));
        First = reinterpret_cast<WalkFn>(reinterpret_cast<void*>(GetProcAddress(kernel, "Process32First")));
        Next = reinterpret_cast<WalkFn>(reinterpret_cast<void*>(GetProcAddress(kernel, "Process32Next")));
    }
    bool Usable() const { return Snapshot && First && Next; }
};

const TToolHelp& ToolHelp() {
    static const TToolHelp t;
    return t;
}

// Calls visit for every process of one snapshot until it returns false.
void ForEachProcess(const std::function<bool(const PROCESSENTRY32&)>& visit) {
    const TToolHelp& th = ToolHelp();
    if (!th.Usable()) return;
    KernelHandle snapshot(th.Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) return;
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;  // 296 bytes, the ANSI record
    for (BOOL more = th.First(snapshot.get(), &entry); more; more = th.Next(snapshot.get(), &entry)) {
        if (!visit(entry)) break;
        entry.dwSize = sizeof entry;
    }
}

}  // namespace

bool IsProgramRunning(const std::string& name) {
    const std::string wanted = UpperCaseAscii(name);
    const std::string self = UpperCaseAscii(ExtractFileName(ModuleFileName()));
    bool found = false;
    ForEachProcess([&](const PROCESSENTRY32& p) {
        std::string exe = UpperCaseAscii(ExtractFileName(p.szExeFile));
        if (exe == wanted && exe != self) found = true;
        return !found;
    });
    return found;
}

bool TerminateProgram(const std::string& name) {
    const std::string wanted = UpperCaseAscii(name);
    const DWORD self = GetCurrentProcessId();
    bool result = true;
    ForEachProcess([&](const PROCESSENTRY32& p) {
        if (p.th32ProcessID == self) return true;
        std::string path = UpperCaseAscii(p.szExeFile);
        if (UpperCaseAscii(ExtractFileName(p.szExeFile)) != wanted && path != wanted) return true;
        KernelHandle process(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, p.th32ProcessID));
        if (!process) process.reset(OpenProcess(PROCESS_TERMINATE, FALSE, p.th32ProcessID));
        result = process && TerminateProcess(process.get(), 0);
        // Termination only starts the end; the file stays in use until the process is gone.
        if (result) WaitForSingleObject(process.get(), kProgramEndWaitMs);
        return true;
    });
    return result;
}

}  // namespace qv
