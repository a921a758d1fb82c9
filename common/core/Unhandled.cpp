#include "common/core/Unhandled.h"

#include <windows.h>

#include <stdexcept>

namespace qv {

namespace {
UnhandledHandler& Handler() {
    static UnhandledHandler h;
    return h;
}
CRITICAL_SECTION* HandlerLock() {
    static CRITICAL_SECTION cs;
    static bool ready = [] { InitializeCriticalSection(&cs); return true; }();
    (void)ready;
    return &cs;
}
}  // namespace

void SetUnhandledHandler(UnhandledHandler handler) {
    EnterCriticalSection(HandlerLock());
    Handler() = std::move(handler);
    LeaveCriticalSection(HandlerLock());
}

std::string ErrorMessage(std::exception_ptr error) {
    try {
        if (error) std::rethrow_exception(error);
    } catch (const std::exception& e) {
        return e.what();
    } catch (...) {
    }
    return "Unknown error";
}

void ReportUnhandled(std::exception_ptr error) noexcept {
    try {
        EnterCriticalSection(HandlerLock());
        UnhandledHandler h = Handler();
        LeaveCriticalSection(HandlerLock());
        if (h) {
            h(error);
            return;
        }
        MessageBoxA(nullptr, (ErrorMessage(error) + ".").c_str(), "Error", MB_OK | MB_ICONERROR);
    } catch (...) {
        // The handler itself failed: nothing sensible is left to do.
    }
}

}  // namespace qv
