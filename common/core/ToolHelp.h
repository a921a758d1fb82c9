// The ToolHelp snapshot functions. Kernel32 has them on the 9x family and on Windows 2000 and
// later, but not on NT 4, so they are bound when first asked for; a missing one stays null.
#pragma once
#include <windows.h>
#include <tlhelp32.h>

namespace qv {

struct ToolHelpFunctions {
    decltype(&::CreateToolhelp32Snapshot) CreateSnapshot = nullptr;
    decltype(&::Process32First) ProcessFirst = nullptr;
    decltype(&::Process32Next) ProcessNext = nullptr;
    decltype(&::Module32First) ModuleFirst = nullptr;
    decltype(&::Module32Next) ModuleNext = nullptr;
    decltype(&::Heap32ListFirst) HeapListFirst = nullptr;
    decltype(&::Heap32ListNext) HeapListNext = nullptr;
    decltype(&::Heap32First) HeapFirst = nullptr;
    decltype(&::Heap32Next) HeapNext = nullptr;

    bool CanWalkProcesses() const { return CreateSnapshot && ProcessFirst && ProcessNext; }
    bool CanWalkModules() const { return CreateSnapshot && ModuleFirst && ModuleNext; }
    bool CanWalkHeaps() const { return CreateSnapshot && HeapListFirst && HeapListNext && HeapFirst && HeapNext; }
};

// Bound once per process from kernel32.
const ToolHelpFunctions& ToolHelp();

}  // namespace qv
