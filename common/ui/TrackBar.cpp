#include "common/ui/TrackBar.h"

#include <commctrl.h>

#include <algorithm>

namespace qv::ui {

TTrackBar::TTrackBar(TWinControl* parent, std::string name, int left, int top, int width, int height)
    : TControl(parent, std::move(name)) {
    InitBounds(left, top, width, height);
    CreateSystemWindow(TRACKBAR_CLASSA, TBS_HORZ | TBS_AUTOTICKS | TBS_BOTTOM | WS_TABSTOP);
    ApplyRange();
}

void TTrackBar::ApplyRange() {
    SendMessageA(hwnd_, TBM_SETRANGEMIN, FALSE, min_);
    SendMessageA(hwnd_, TBM_SETRANGEMAX, TRUE, max_);
    SendMessageA(hwnd_, TBM_SETPOS, TRUE, position_);
}

void TTrackBar::SetMin(int v) {
    min_ = v;
    if (max_ < min_) max_ = min_;
    int old = position_;
    position_ = std::clamp(position_, min_, max_);
    ApplyRange();
    if (old != position_ && OnChange) OnChange(this);
}

void TTrackBar::SetMax(int v) {
    max_ = v;
    if (min_ > max_) min_ = max_;
    int old = position_;
    position_ = std::clamp(position_, min_, max_);
    ApplyRange();
    if (old != position_ && OnChange) OnChange(this);
}

void TTrackBar::SetPosition(int v) {
    position_ = std::clamp(v, min_, max_);
    SendMessageA(hwnd_, TBM_SETPOS, TRUE, position_);
    if (OnChange) OnChange(this);
}

void TTrackBar::SetFrequency(int every) { SendMessageA(hwnd_, TBM_SETTICFREQ, std::max(1, every), 0); }

void TTrackBar::SetTicksAbove(bool above) {
    LONG s = GetWindowLongA(hwnd_, GWL_STYLE) & ~(TBS_TOP | TBS_BOTTOM | TBS_BOTH);
    SetWindowLongA(hwnd_, GWL_STYLE, s | (above ? TBS_TOP : TBS_BOTTOM));
    InvalidateRect(hwnd_, nullptr, TRUE);
}

bool TTrackBar::HandleScroll(WORD) {
    int p = static_cast<int>(SendMessageA(hwnd_, TBM_GETPOS, 0, 0));
    if (p == position_) return true;
    position_ = p;
    if (OnChange) OnChange(this);
    return true;
}

}  // namespace qv::ui
