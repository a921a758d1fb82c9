#include "quorvane/memory/WashCore.h"

#include <windows.h>

#include <cstring>
#include <memory>
#include <new>

#include "common/core/OSError.h"

namespace qv {

void* ClaimZeroedBlock() {
    // The process heap, not malloc: a compiler that knows malloc may fold malloc + memset into
    // calloc, whose fresh pages are never touched, and the wash must really take the memory.
    void* p = HeapAlloc(GetProcessHeap(), 0, kWashBlockSize);
    if (!p) return nullptr;
    std::memset(p, 0, kWashBlockSize);
    // Tell the compiler the zeroes are read: the writes may not be dropped.
    asm volatile("" : : "r"(p) : "memory");
    return p;
}

bool ReleaseWashBlock(void* block) { return HeapFree(GetProcessHeap(), 0, block) != FALSE; }

TWashResult WashBlocks(int32_t n, const TWashSteps& steps) {
    TWashResult result;
    size_t size = n > 0 ? static_cast<size_t>(n) : 0;
    std::unique_ptr<void*[]> table(new (std::nothrow) void*[size > 0 ? size : 1]);
    if (!table) {
        result.OutOfMemory = true;
        size = 0;
    }
    try {
        for (size_t i = 0; i < size; ++i) {
            void* block = ClaimZeroedBlock();
            if (!block) {
                result.OutOfMemory = true;
                break;
            }
            table[i] = block;
            ++result.Claimed;
            if (steps.Claimed) steps.Claimed(static_cast<int>(i), block);
            if (steps.StopRequested && steps.StopRequested()) break;
        }
    } catch (...) {
        // Whatever ended the claiming (a progress step that failed, say) is not shown:
        // what was claimed is given back all the same.
        result.Failed = true;
    }
    // A failing progress step must not keep memory claimed: the release goes on regardless.
    auto quietly = [](auto&& fn) {
        try {
            fn();
        } catch (...) {
        }
    };
    if (steps.Releasing) quietly([&] { steps.Releasing(result.Claimed); });
    for (int j = 0; j < result.Claimed; ++j) {
        void* block = table[static_cast<size_t>(j)];
        if (!ReleaseWashBlock(block)) {
            // The rest stay claimed: handing the allocator more of a table it disowns risks worse.
            if (steps.ReleaseFailed) quietly([&] { steps.ReleaseFailed("Invalid pointer operation"); });
            break;
        }
        ++result.Released;
        if (steps.Released) quietly([&] { steps.Released(j, block); });
    }
    return result;
}

}  // namespace qv
