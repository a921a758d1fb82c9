#include "common/ui/Timer.h"

#include <set>

#include "common/core/Unhandled.h"
#include "common/ui/Application.h"

namespace qv::ui {

namespace {
std::set<TTimer*>& Live() {
    static std::set<TTimer*> s;
    return s;
}
bool g_stopped = false;

HWND TimerWindow() {
    static HWND h = [] {
        WNDCLASSA wc{};
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = Application().InstanceHandle();
        wc.lpszClassName = "QvTimerWindow";
        RegisterClassA(&wc);
        return CreateWindowExA(0, "QvTimerWindow", "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                               Application().InstanceHandle(), nullptr);
    }();
    return h;
}
}  // namespace

TTimer::TTimer(std::string name, UINT interval, bool enabled)
    : name_(std::move(name)), interval_(interval), enabled_(enabled) {
    Live().insert(this);
    static bool hooked = [] {
        SetWindowLongPtrA(TimerWindow(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Proc));
        return true;
    }();
    (void)hooked;
    Update();
}

TTimer::~TTimer() {
    Live().erase(this);
    if (running_) KillTimer(TimerWindow(), reinterpret_cast<UINT_PTR>(this));
}

void TTimer::SetInterval(UINT ms) {
    interval_ = ms;
    Update();
}

void TTimer::SetEnabled(bool on) {
    if (on == enabled_) return;
    enabled_ = on;
    Update();
}

void TTimer::Update() {
    HWND w = TimerWindow();
    if (running_) {
        KillTimer(w, reinterpret_cast<UINT_PTR>(this));
        running_ = false;
    }
    if (enabled_ && interval_ > 0 && !g_stopped) running_ = SetTimer(w, reinterpret_cast<UINT_PTR>(this), interval_, nullptr) != 0;
}

void TTimer::StopAll() {
    g_stopped = true;
    for (TTimer* t : Live())
        if (t->running_) {
            KillTimer(TimerWindow(), reinterpret_cast<UINT_PTR>(t));
            t->running_ = false;
        }
}

LRESULT CALLBACK TTimer::Proc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_TIMER) {
        auto* t = reinterpret_cast<TTimer*>(wp);
        // A tick already queued for a timer that has since been freed or stopped is dropped.
        if (!g_stopped && Live().count(t) && t->running_ && t->OnTimer) Guarded([&] { t->OnTimer(t); });
        return 0;
    }
    return DefWindowProcA(h, msg, wp, lp);
}

}  // namespace qv::ui
