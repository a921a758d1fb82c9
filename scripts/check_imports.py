#!/usr/bin/env python3
"""Fails when an executable imports what Windows XP (or the 9x family) does not have.

Two rules: functions that came with Vista or later must not be imported at all, and the
functions that exist only on some of our systems (NT-only, 2000-and-later) must be bound at
run time with GetProcAddress rather than imported, so that the program still starts where
they are missing. Prints one line per offending import and exits 1; exits 0 when clean.
"""
import re
import subprocess
import sys

OBJDUMP = "i686-w64-mingw32-objdump"

# Vista and later. Not a complete list of every newer export, but every one that our
# toolchain or runtime is known to pull in, and the usual suspects of hand-written code.
NEWER_THAN_XP = {
    "GetTickCount64", "InitializeSRWLock", "AcquireSRWLockExclusive", "AcquireSRWLockShared",
    "ReleaseSRWLockExclusive", "ReleaseSRWLockShared", "TryAcquireSRWLockExclusive",
    "TryAcquireSRWLockShared", "InitializeConditionVariable", "SleepConditionVariableCS",
    "SleepConditionVariableSRW", "WakeConditionVariable", "WakeAllConditionVariable",
    "InitOnceExecuteOnce", "InitOnceBeginInitialize", "InitOnceComplete", "InitOnceInitialize",
    "InitializeCriticalSectionEx", "CreateEventExA", "CreateEventExW", "CreateMutexExA",
    "CreateMutexExW", "CreateSemaphoreExA", "CreateSemaphoreExW", "CreateWaitableTimerExW",
    "FlsAlloc", "FlsFree", "FlsGetValue", "FlsSetValue", "GetCurrentProcessorNumber",
    "GetThreadId", "GetProcessIdOfThread", "QueryFullProcessImageNameA",
    "QueryFullProcessImageNameW", "GetProductInfo", "GetErrorMode", "SetThreadErrorMode",
    "GetThreadErrorMode", "CancelIoEx", "CancelSynchronousIo", "GetQueuedCompletionStatusEx",
    "SetFileInformationByHandle", "GetFileInformationByHandleEx", "GetFinalPathNameByHandleA",
    "GetFinalPathNameByHandleW", "CreateSymbolicLinkA", "CreateSymbolicLinkW",
    "CompareStringEx", "CompareStringOrdinal", "GetLocaleInfoEx", "LCIDToLocaleName",
    "LocaleNameToLCID", "GetUserDefaultLocaleName", "LCMapStringEx", "GetDateFormatEx",
    "GetTimeFormatEx", "GetNumberFormatEx", "ResolveLocaleName", "IsValidLocaleName",
    "GetSystemTimePreciseAsFileTime", "WerRegisterMemoryBlock", "WerSetFlags",
    "RegGetValueA", "RegGetValueW", "RegDeleteTreeA", "RegDeleteTreeW", "RegSetKeyValueA",
    "RegSetKeyValueW", "RegDeleteKeyExA", "RegDeleteKeyExW", "RegCopyTreeA", "RegCopyTreeW",
    "RegLoadMUIStringA", "RegLoadMUIStringW", "K32GetProcessMemoryInfo",
    "K32EnumProcesses", "K32GetModuleFileNameExA", "K32GetModuleFileNameExW",
    "ChangeWindowMessageFilter", "ChangeWindowMessageFilterEx", "SetProcessDPIAware",
    "IsProcessDPIAware", "GetDpiForWindow", "ShutdownBlockReasonCreate",
    "AddClipboardFormatListener", "SHGetKnownFolderPath", "TaskDialog", "TaskDialogIndirect",
    "InternetGetConnectedStateExA", "GetLogicalProcessorInformationEx", "SwitchToFiber",
    "CreateRemoteThreadEx", "SetDefaultDllDirectories", "AddDllDirectory",
}

# Present on only some of the systems we run on: bound at run time, never imported.
BIND_AT_RUN_TIME = {
    "NtQuerySystemInformation", "GlobalMemoryStatusEx", "GetProcessMemoryInfo",
    "CreateToolhelp32Snapshot", "Process32First", "Process32Next", "Module32First",
    "Module32Next", "Heap32ListFirst", "Heap32ListNext", "Heap32First", "Heap32Next",
    "OpenThreadToken", "MiniDumpWriteDump",
}

# Libraries that are not part of Windows XP, or that we must not depend on statically.
FORBIDDEN_DLLS = {"psapi.dll", "dbghelp.dll", "libwinpthread-1.dll", "libstdc++-6.dll",
                  "libgcc_s_dw2-1.dll", "libgcc_s_sjlj-1.dll", "bcrypt.dll", "ntdll.dll"}


def imports(path):
    out = subprocess.run([OBJDUMP, "-p", path], capture_output=True, text=True, check=True).stdout
    dll = None
    for line in out.splitlines():
        m = re.match(r"\s*DLL Name: (\S+)", line)
        if m:
            dll = m.group(1)
            yield dll, None
            continue
        m = re.match(r"\s+[0-9a-fA-F]+\s+[0-9]+\s+(\S+)\s*$", line)
        if dll and m:
            yield dll, m.group(1)


def check(path):
    problems = []
    for dll, fn in imports(path):
        if fn is None:
            if dll.lower() in FORBIDDEN_DLLS or dll.lower().startswith("api-ms-win-"):
                problems.append(f"{path}: imports {dll}, which Windows XP does not have or we bind at run time")
        elif fn in NEWER_THAN_XP:
            problems.append(f"{path}: {dll}!{fn} is not on Windows XP")
        elif fn in BIND_AT_RUN_TIME:
            problems.append(f"{path}: {dll}!{fn} must be bound at run time, not imported")
    return problems


def main(argv):
    if len(argv) < 2:
        print("usage: check_imports.py EXE...", file=sys.stderr)
        return 2
    problems = []
    for p in argv[1:]:
        problems += check(p)
    for p in problems:
        print(p)
    if not problems:
        print(f"imports: {len(argv) - 1} executable(s) use only what Windows XP has")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
