// The heart of a wash: claim N blocks of exactly one megabyte, write every byte of each with
// zero as it is claimed, hold them all, then release them in the order they were claimed.
// The caller decides what happens around each step (progress, cancel, error box).
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace qv {

constexpr size_t kWashBlockSize = 1048576;

struct TWashSteps {
    // After block `index` was claimed and counted; may be empty.
    std::function<void(int index, void* block)> Claimed;
    // Asked after each claimed block; true ends the claiming phase. May be empty.
    std::function<bool()> StopRequested;
    // Before the release phase starts, with the number of blocks claimed; may be empty.
    std::function<void(int count)> Releasing;
    // After block `index` was released; may be empty.
    std::function<void(int index, void* block)> Released;
    // A block the allocator refused to take back; the release phase ends at that block.
    std::function<void(const std::string& message)> ReleaseFailed;
};

struct TWashResult {
    int Claimed = 0;       // blocks claimed (and zero-filled)
    int Released = 0;      // blocks given back
    bool OutOfMemory = false;  // the allocator ran out before N blocks were claimed
    bool Failed = false;       // a step raised an error during the claiming phase
};

// Runs both phases for n blocks (n <= 0 claims nothing). The block table is allocated once,
// before claiming starts. Never throws: an error of a step ends the claiming phase, and the
// release phase runs whatever its steps do.
TWashResult WashBlocks(int32_t n, const TWashSteps& steps);

// One block from the general-purpose allocator, every byte written with zero; nullptr when
// the allocator has no megabyte left. Released with ReleaseWashBlock.
void* ClaimZeroedBlock();
// False when the allocator refuses the pointer.
bool ReleaseWashBlock(void* block);

}  // namespace qv
