// Waits that a stop request can cut short. The wait runs in slices and looks at the stop
// condition between them, so a flag written by another thread without a lock (the updater's
// stop request) is seen within one slice.
#pragma once
#include <windows.h>
#include <functional>

namespace qv {

enum class TWaitResult { Signaled, TimedOut, Stopped, Failed };

// Waits for `handle` for at most `timeoutMs` (INFINITE: no limit). `stopRequested` is asked
// before the wait and after every slice; when it says true the wait ends with Stopped.
// An empty `stopRequested` never stops. Failed: the handle is not one that can be waited on.
TWaitResult WaitCancellable(HANDLE handle, DWORD timeoutMs, const std::function<bool()>& stopRequested,
                            DWORD sliceMs = 100);

// Sleeps for `ms` unless stopped first; true when the whole time passed.
bool SleepCancellable(DWORD ms, const std::function<bool()>& stopRequested, DWORD sliceMs = 100);

}  // namespace qv
