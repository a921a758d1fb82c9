#include "quorvane/processes/ProcessClass.h"

#include <psapi.h>
#include <shellapi.h>

#include <algorithm>
#include <cstring>
#include <limits>
#include <stdexcept>

#include "common/core/Paths.h"
#include "common/core/Text.h"
#include "common/core/ToolHelp.h"
#include "quorvane/processes/DebugPrivilege.h"

namespace qv {

namespace {
// The shell writes back into the buffer it is given, so it gets a copy of this size.
const size_t kIconPathBuffer = 2048;

static_assert(sizeof(PROCESS_MEMORY_COUNTERS) == 40, "the 32-bit counters record");
using GetProcessMemoryInfoFn = BOOL(WINAPI*)(HANDLE, PPROCESS_MEMORY_COUNTERS, DWORD);

// Byte counts are kept in 32 signed bits; anything larger shows as the largest figure rather
// than as a negative one.
int32_t ClampBytes(uint64_t bytes) {
    const uint64_t most = static_cast<uint64_t>(std::numeric_limits<int32_t>::max());
    return static_cast<int32_t>(std::min(bytes, most));
}

// ToolHelp texts are fixed-size arrays; a full one may lack its terminator.
template <size_t N>
std::string FixedText(const CHAR (&text)[N]) {
    return std::string(text, strnlen(text, N));
}

std::string AfterLastBackslash(const std::string& path) {
    size_t p = path.rfind('\\');
    return p == std::string::npos ? path : path.substr(p + 1);
}

// The full executable path from the first module of the process; false when it cannot be read.
bool ModulePath(DWORD processID, std::string& path) {
    const ToolHelpFunctions& th = ToolHelp();
    if (!th.CanWalkModules()) return false;
    KernelHandle snapshot(th.CreateSnapshot(TH32CS_SNAPMODULE, processID));
    if (!snapshot) return false;
    MODULEENTRY32 module{};
    module.dwSize = sizeof module;
    if (!th.ModuleFirst(snapshot.get(), &module)) return false;
    path = FixedText(module.szExePath);
    return true;
}
}  // namespace

// --- TProcessItem ---

TProcessItem::TProcessItem(TProcessList* list, DWORD processID, int32_t threadCount, int32_t priority,
                           int32_t memoryUsage, std::string name, const std::string& path)
    : memoryUsage_(memoryUsage),
      processID_(processID),
      threadCount_(threadCount),
      processName_(std::move(name)),
      priority_(priority),
      processList_(list) {
    SetPath(path);
}

void TProcessItem::SetPath(const std::string& path) {
    if (path == path_) return;
    path_ = path;
    // The shell's icon lookup works in MAX_PATH buffers and overruns them on anything longer;
    // no file that long can be opened through the ANSI functions anyway.
    if (path.size() < MAX_PATH) TakeAssociatedIcon();
    if (OnPathChange) OnPathChange(*this);
}

void TProcessItem::TakeAssociatedIcon() {
    char buffer[kIconPathBuffer];
    size_t n = std::min(path_.size(), kIconPathBuffer - 1);
    std::memcpy(buffer, path_.data(), n);
    buffer[n] = '\0';
    WORD index = 0;
    HICON icon = ::ExtractAssociatedIconA(::GetModuleHandleA(nullptr), buffer, &index);
    if (icon) icon_.reset(icon);
}

void TProcessItem::SetPriority(int32_t priorityClass) {
    if (priorityClass == priority_) return;
    KernelHandle process(::OpenProcess(PROCESS_SET_INFORMATION, FALSE, processID_));
    if (!process) return;
    if (!::SetPriorityClass(process.get(), static_cast<DWORD>(priorityClass))) return;
    priority_ = priorityClass;
    process.reset();
    if (OnPriorityChange) OnPriorityChange(*this);
}

bool TProcessItem::Terminate() {
    KernelHandle process(::OpenProcess(PROCESS_TERMINATE, FALSE, processID_));
    if (!process) {
        DWORD err = ::GetLastError();
        if (err != ERROR_ACCESS_DENIED) return false;
        if (!processList_ || processList_->OSVersion() <= 5) return false;
        // Denied: try once more with the debug privilege, which lets an administrator end
        // processes of other users and of the system.
        TDebugPrivilege privilege;
        if (!privilege.Enabled()) return false;
        process.reset(::OpenProcess(PROCESS_TERMINATE, FALSE, processID_));
    }  // the previous privilege state is back from here on
    if (!process) return false;
    return ::TerminateProcess(process.get(), 0) != FALSE;
}

// --- TProcessList ---

TProcessList::TProcessList(HIMAGELIST images, HICON genericIcon)
    : images_(images), ownPathUpper_(UpperCaseAscii(ModuleFileName())) {
    if (genericIcon) defaultIcon_.reset(::CopyIcon(genericIcon));
}

TProcessList::~TProcessList() = default;

TProcessItem* TProcessList::Items(int index) const {
    if (index < 0 || index >= Count())
        throw std::out_of_range("List index out of bounds (" + IntToStr(index) + ")");
    return items_[static_cast<size_t>(index)].get();
}

void TProcessList::Refresh() {
    if (images_) {
        for (int n = ImageList_GetImageCount(images_); n > 1; n = ImageList_GetImageCount(images_))
            if (!ImageList_Remove(images_, n - 1)) break;
    }
    items_.clear();

    const ToolHelpFunctions& th = ToolHelp();
    if (!th.CanWalkProcesses()) return;
    KernelHandle snapshot(th.CreateSnapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) return;
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = th.ProcessFirst(snapshot.get(), &entry); more; more = th.ProcessNext(snapshot.get(), &entry)) {
        std::string path = FixedText(entry.szExeFile);
        std::string name = AfterLastBackslash(path);
        // For process id 0 this is the module list of the calling process, so that entry takes
        // our own path and is dropped below.
        if (osVersion_ > 5) ModulePath(entry.th32ProcessID, path);
        // Our own process (and any other copy started from the same file) is not listed; checked
        // first, so that it costs no detail queries.
        if (UpperCaseAscii(path) == ownPathUpper_) continue;
        DWORD id = entry.th32ProcessID;
        items_.push_back(std::make_unique<TProcessItem>(this, id, static_cast<int32_t>(entry.cntThreads),
                                                        GetProcessPriority(id), GetProcessMemory(id), name, path));
    }
}

int32_t TProcessList::GetProcessPriority(DWORD processID) const {
    KernelHandle process(::OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, processID));
    if (!process) return 0;
    return static_cast<int32_t>(::GetPriorityClass(process.get()));
}

int32_t TProcessList::GetProcessMemory(DWORD processID) const {
    if (IsWin9xFamily(osVersion_)) return Win9xProcessMemory(processID);
    return NTProcessMemory(processID);
}

// The 9x family has no working-set figure: what the process holds is its modules plus every
// block of every heap.
int32_t TProcessList::Win9xProcessMemory(DWORD processID) const {
    const ToolHelpFunctions& th = ToolHelp();
    if (!th.CreateSnapshot) return 0;
    KernelHandle snapshot(th.CreateSnapshot(TH32CS_SNAPMODULE | TH32CS_SNAPHEAPLIST, processID));
    if (!snapshot) return 0;
    uint64_t total = 0;
    if (th.CanWalkModules()) {
        MODULEENTRY32 module{};
        module.dwSize = sizeof module;
        for (BOOL more = th.ModuleFirst(snapshot.get(), &module); more; more = th.ModuleNext(snapshot.get(), &module))
            total += module.modBaseSize;
    }
    if (th.CanWalkHeaps()) {
        HEAPLIST32 heap{};
        heap.dwSize = sizeof heap;
        for (BOOL more = th.HeapListFirst(snapshot.get(), &heap); more; more = th.HeapListNext(snapshot.get(), &heap)) {
            HEAPENTRY32 block{};
            block.dwSize = sizeof block;
            for (BOOL b = th.HeapFirst(&block, processID, heap.th32HeapID); b; b = th.HeapNext(&block))
                total += block.dwBlockSize;
        }
    }
    return ClampBytes(total);
}

int32_t TProcessList::NTProcessMemory(DWORD processID) const {
    if (!psapiTried_) {
        psapiTried_ = true;
        UINT oldMode = ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
        psapi_.reset(::LoadLibraryA("PSAPI.dll"));
        ::SetErrorMode(oldMode);
    }
    if (!psapi_) return 0;
    auto getInfo = reinterpret_cast<GetProcessMemoryInfoFn>(
        reinterpret_cast<void*>(::GetProcAddress(psapi_.get(), "GetProcessMemoryInfo")));
    if (!getInfo) return 0;
    KernelHandle process(::OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, processID));
    if (!process) return 0;
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (!getInfo(process.get(), &counters, sizeof counters)) return 0;
    return ClampBytes(counters.WorkingSetSize);
}

}  // namespace qv
