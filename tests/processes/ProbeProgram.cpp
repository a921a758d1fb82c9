// A small program the process tests start and look at from outside:
//   sleep THREADS READY-EVENT|- MEGABYTES SECONDS [protect]   THREADS threads in all, MEGABYTES
//       of touched heap, then signals READY-EVENT and sleeps SECONDS at most; "protect" first
//       gives the process an empty access list, so that nobody may open it.
//   version              prints the Windows-version number of the system it runs on
//   memory PID           prints that number and the memory figure of PID measured on it
//   list OSVERSION       refreshes a process list with that version and prints "PID<tab>PATH" lines
//   (no arguments)       as a program started from the shell: writes its working folder into
//                        "started.txt" in that folder, then sleeps 60 seconds
#include <windows.h>
#include <aclapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "quorvane/processes/ProcessClass.h"
#include "quorvane/processes/WindowsVersion.h"

namespace {
DWORD WINAPI Idle(void*) {
    Sleep(INFINITE);  // the process's end takes the thread with it
    return 0;
}

int Sleeper(int threads, const char* readyName, int megabytes, DWORD seconds, bool protect) {
    if (protect) {
        ACL empty;
        InitializeAcl(&empty, sizeof empty, ACL_REVISION);
        if (SetSecurityInfo(GetCurrentProcess(), SE_KERNEL_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr,
                            &empty, nullptr) != ERROR_SUCCESS)
            return 3;
    }
    for (int i = 1; i < threads; ++i) {
        HANDLE t = CreateThread(nullptr, 0, Idle, nullptr, 0, nullptr);
        if (!t) return 4;
        CloseHandle(t);
    }
    if (megabytes > 0) {
        SIZE_T size = static_cast<SIZE_T>(megabytes) * 1048576;
        volatile char* block = static_cast<volatile char*>(HeapAlloc(GetProcessHeap(), 0, size));
        if (!block) return 5;
        for (SIZE_T i = 0; i < size; i += 4096) block[i] = 1;
    }
    if (std::strcmp(readyName, "-") != 0) {
        HANDLE ready = OpenEventA(EVENT_MODIFY_STATE, FALSE, readyName);
        if (!ready) return 6;
        SetEvent(ready);
        CloseHandle(ready);
    }
    Sleep(seconds * 1000);
    return 0;
}
}  // namespace

int main(int argc, char** argv) {
    if (argc == 1) {
        char folder[MAX_PATH] = "";
        GetCurrentDirectoryA(sizeof folder, folder);
        if (FILE* f = std::fopen("started.txt", "w")) {
            std::fputs(folder, f);
            std::fclose(f);
        }
        Sleep(60000);
        return 0;
    }
    if (argc >= 6 && !std::strcmp(argv[1], "sleep"))
        return Sleeper(std::atoi(argv[2]), argv[3], std::atoi(argv[4]), std::strtoul(argv[5], nullptr, 10),
                       argc >= 7 && !std::strcmp(argv[6], "protect"));
    if (argc >= 2 && !std::strcmp(argv[1], "version")) {
        std::printf("%d\n", static_cast<int>(qv::ReadWindowsVersion()));
        return 0;
    }
    if (argc >= 3 && !std::strcmp(argv[1], "memory")) {
        qv::TProcessList list(nullptr, nullptr);
        list.SetOSVersion(qv::ReadWindowsVersion());
        DWORD pid = std::strtoul(argv[2], nullptr, 0);
        std::printf("%d %ld\n", static_cast<int>(list.OSVersion()), static_cast<long>(list.GetProcessMemory(pid)));
        return 0;
    }
    if (argc >= 3 && !std::strcmp(argv[1], "list")) {
        qv::TProcessList list(nullptr, nullptr);
        list.SetOSVersion(static_cast<qv::TWindowsVersion>(std::atoi(argv[2])));
        list.Refresh();
        for (int i = 0; i < list.Count(); ++i)
            std::printf("%lu\t%s\n", list.Items(i)->ProcessID(), list.Items(i)->Path().c_str());
        return 0;
    }
    return 2;
}
