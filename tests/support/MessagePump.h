// Runs the calling thread's message loop until a condition holds, for tests whose windows or
// threads hand work to this thread. The limit only keeps a broken test from hanging.
#pragma once
#include <windows.h>
#include <functional>

namespace qv::test {

// Dispatches messages until done() is true; false when the limit passed first.
bool PumpMessagesUntil(const std::function<bool()>& done, DWORD limitMs = 20000);

}  // namespace qv::test
