#include "tests/support/MessagePump.h"

namespace qv::test {

bool PumpMessagesUntil(const std::function<bool()>& done, DWORD limitMs) {
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start >= limitMs) return done();
        // One message at a time, looking at the condition and the limit after each: a timer
        // whose handler takes longer than its period always has a tick waiting.
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
            if (done()) return true;
            if (GetTickCount() - start >= limitMs) return done();
        }
        if (!done()) MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    return true;
}

}  // namespace qv::test
