#include "common/thread/Wait.h"

namespace qv {

TWaitResult WaitCancellable(HANDLE handle, DWORD timeoutMs, const std::function<bool()>& stopRequested,
                            DWORD sliceMs) {
    if (sliceMs == 0 || sliceMs == INFINITE) sliceMs = 100;
    const DWORD start = ::GetTickCount();
    for (;;) {
        if (stopRequested && stopRequested()) return TWaitResult::Stopped;
        DWORD slice = sliceMs;
        if (timeoutMs != INFINITE) {
            // Unsigned difference: right across the tick count's wrap after 49.7 days.
            DWORD spent = ::GetTickCount() - start;
            if (spent >= timeoutMs) return TWaitResult::TimedOut;
            if (timeoutMs - spent < slice) slice = timeoutMs - spent;
        }
        DWORD r = handle ? ::WaitForSingleObject(handle, slice) : (::Sleep(slice), WAIT_TIMEOUT);
        if (r == WAIT_OBJECT_0 || r == WAIT_ABANDONED) return TWaitResult::Signaled;
        if (r != WAIT_TIMEOUT) return TWaitResult::Failed;
    }
}

bool SleepCancellable(DWORD ms, const std::function<bool()>& stopRequested, DWORD sliceMs) {
    return WaitCancellable(nullptr, ms, stopRequested, sliceMs) == TWaitResult::TimedOut;
}

}  // namespace qv
