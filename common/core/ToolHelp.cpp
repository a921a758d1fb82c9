#include "common/core/ToolHelp.h"

namespace qv {

namespace {
template <class Fn>
void Bind(HMODULE kernel, const char* name, Fn& fn) {
    fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(kernel, name)));
}

ToolHelpFunctions BindToolHelp() {
    ToolHelpFunctions f;
    HMODULE kernel = ::GetModuleHandleA("kernel32.dll");
    if (!kernel) return f;
    Bind(kernel, "CreateToolhelp32Snapshot", f.CreateSnapshot);
    Bind(kernel, "Process32First", f.ProcessFirst);
    Bind(kernel, "Process32Next", f.ProcessNext);
    Bind(kernel, "Module32First", f.ModuleFirst);
    Bind(kernel, "Module32Next", f.ModuleNext);
    Bind(kernel, "Heap32ListFirst", f.HeapListFirst);
    Bind(kernel, "Heap32ListNext", f.HeapListNext);
    Bind(kernel, "Heap32First", f.HeapFirst);
    Bind(kernel, "Heap32Next", f.HeapNext);
    return f;
}
}  // namespace

const ToolHelpFunctions& ToolHelp() {
    static const ToolHelpFunctions functions = BindToolHelp();
    return functions;
}

}  // namespace qv
