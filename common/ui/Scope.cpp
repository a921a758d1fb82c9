#include "common/ui/Scope.h"

#include <algorithm>

#include "common/core/Rounding.h"
#include "common/ui/Clipboard.h"

namespace qv::ui {

namespace {
constexpr int kStep = 2;  // pixels per move

class TPenFor {
public:
    TPenFor(HDC dc, COLORREF c) : dc_(dc), pen_(CreatePen(PS_SOLID, 1, ColorToRGB(c))), old_(SelectObject(dc, pen_)) {}
    ~TPenFor() {
        SelectObject(dc_, old_);
        DeleteObject(pen_);
    }
    TPenFor(const TPenFor&) = delete;
    TPenFor& operator=(const TPenFor&) = delete;

private:
    HDC dc_;
    HPEN pen_;
    HGDIOBJ old_;
};

void HLine(HDC dc, int x0, int x1, int y) {
    MoveToEx(dc, x0, y, nullptr);
    LineTo(dc, x1, y);
}
}  // namespace

TScope::TScope(TWinControl* parent, std::string name, int left, int top, int width, int height)
    : TWinControl(parent, std::move(name)), timer_("ScopeTimer", 1000, false) {
    InitBounds(left, top, width, height);
    CreateContainer(WS_VISIBLE, 0);
    timer_.OnTimer = [this](TTimer*) { Step(); };
}

void TScope::SetInterval(int units) {
    interval_ = std::max(1, units);
    timer_.SetInterval(static_cast<UINT>(interval_) * 10);
}

void TScope::SetActive(bool on) { timer_.SetEnabled(on); }

void TScope::SetBaseLine(int percent) {
    baseLine_ = percent;
    Invalidate();
}

int TScope::RowOf(int percent) const {
    int h = height_;
    int p = std::max(0, std::min(100, percent));
    return (h - 1) - static_cast<int>(RoundHalfEven(p * (h - 1) / 100.0));
}

void TScope::Step() {
    ++steps_;
    levels_.push_back(std::max(0, std::min(100, position_)));
    size_t keep = static_cast<size_t>(width_ / kStep + 2);
    while (levels_.size() > keep) levels_.pop_front();
    Invalidate();
}

void TScope::Clear() {
    levels_.clear();
    Invalidate();
}

void TScope::Draw(HDC dc, int w, int h) const {
    RECT all{0, 0, w, h};
    FillRect(dc, &all, SolidBrushFor(BackColor));
    if (GridSize > 0) {
        TPenFor pen(dc, GridColor);
        // Vertical lines move with the picture; horizontal ones count from the bottom.
        int shift = static_cast<int>((static_cast<long long>(steps_) * kStep) % GridSize);
        for (int x = (w - 1) - shift; x >= 0; x -= GridSize) {
            MoveToEx(dc, x, 0, nullptr);
            LineTo(dc, x, h);
        }
        for (int y = h - 1; y >= 0; y -= GridSize) HLine(dc, 0, w, y);
    }
    {
        TPenFor pen(dc, BaseLineColor);
        HLine(dc, 0, w, RowOf(baseLine_));
    }
    if (levels_.empty()) return;
    TPenFor pen(dc, LineColor);
    // The newest level sits at the right edge, each older one 2 pixels further left; each move
    // draws a segment from the level before it (the same level for the first).
    int x = w - 1;
    auto it = levels_.rbegin();
    int y = RowOf(*it);
    MoveToEx(dc, x, y, nullptr);
    for (++it; it != levels_.rend() && x >= 0; ++it) {
        x -= kStep;
        y = RowOf(*it);
        LineTo(dc, x, y);
    }
    LineTo(dc, x - kStep, y);
    SetPixel(dc, w - 1, RowOf(levels_.back()), ColorToRGB(LineColor));  // LineTo leaves out its end
}

void TScope::Paint(HDC dc, const RECT& client) {
    int w = client.right, h = client.bottom;
    if (w <= 0 || h <= 0) return;
    // Drawn off-screen and put on in one go: no flicker.
    HDC mem = CreateCompatibleDC(dc);
    HBITMAP bmp = CreateCompatibleBitmap(dc, w, h);
    HGDIOBJ old = SelectObject(mem, bmp);
    Draw(mem, w, h);
    BitBlt(dc, 0, 0, w, h, mem, 0, 0, SRCCOPY);
    SelectObject(mem, old);
    DeleteObject(bmp);
    DeleteDC(mem);
}

LRESULT TScope::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_ERASEBKGND) return 1;  // Paint covers every pixel
    if (msg == WM_SIZE) Invalidate();
    return TWinControl::WindowProc(msg, wp, lp);
}

HBITMAP TScope::CopyToBitmap() const {
    POINT p = ClientOrigin();
    RECT r{p.x, p.y, p.x + width_, p.y + height_};
    return CopyWindowPixels(TopLevel(), r);
}

}  // namespace qv::ui
