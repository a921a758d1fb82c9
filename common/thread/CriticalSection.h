// A critical section and the scoped lock that goes with it. Critical sections are recursive:
// the thread that holds one may enter it again (and must leave it as often).
#pragma once
#include <windows.h>

namespace qv {

class TCriticalSection {
public:
    TCriticalSection() noexcept { ::InitializeCriticalSection(&cs_); }
    ~TCriticalSection() { ::DeleteCriticalSection(&cs_); }
    TCriticalSection(const TCriticalSection&) = delete;
    TCriticalSection& operator=(const TCriticalSection&) = delete;

    void Enter() noexcept { ::EnterCriticalSection(&cs_); }
    void Leave() noexcept { ::LeaveCriticalSection(&cs_); }
    // Acquire/Release are the class library's names for the same two calls.
    void Acquire() noexcept { Enter(); }
    void Release() noexcept { Leave(); }

private:
    CRITICAL_SECTION cs_;
};

// Holds a critical section from construction to the end of the scope.
class TScopedLock {
public:
    explicit TScopedLock(TCriticalSection& cs) noexcept : cs_(cs) { cs_.Enter(); }
    ~TScopedLock() { cs_.Leave(); }
    TScopedLock(const TScopedLock&) = delete;
    TScopedLock& operator=(const TScopedLock&) = delete;

private:
    TCriticalSection& cs_;
};

}  // namespace qv
