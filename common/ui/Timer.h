// A timer of the UI thread: Interval in milliseconds, Enabled, OnTimer. Changing the interval
// of a running timer starts its countdown again. Ticks arrive through the message loop, also
// inside modal loops.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

namespace qv::ui {

class TTimer {
public:
    explicit TTimer(std::string name, UINT interval = 1000, bool enabled = true);
    ~TTimer();
    TTimer(const TTimer&) = delete;
    TTimer& operator=(const TTimer&) = delete;

    const std::string& Name() const { return name_; }
    void SetInterval(UINT ms);
    UINT Interval() const { return interval_; }
    void SetEnabled(bool on);
    bool Enabled() const { return enabled_; }

    std::function<void(TTimer* sender)> OnTimer;

    // Stops every timer of the program for good (close-down: no tick runs after it).
    static void StopAll();

private:
    void Update();
    static LRESULT CALLBACK Proc(HWND h, UINT msg, WPARAM wp, LPARAM lp);
    std::string name_;
    UINT interval_;
    bool enabled_;
    bool running_ = false;
};

}  // namespace qv::ui
