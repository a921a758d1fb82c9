#include "common/ui/ProgressBar.h"

#include <algorithm>
#include <string>

#include "common/core/Rounding.h"

namespace qv::ui {

TProgressBar::TProgressBar(TWinControl* parent, std::string name, int left, int top, int width, int height,
                           TBarOrientation orientation)
    : TWinControl(parent, std::move(name)), orientation_(orientation) {
    InitBounds(left, top, width, height);
    color_ = clWhite;
    CreateContainer(WS_VISIBLE, 0);
}

void TProgressBar::SetTotalParts(int total) {
    total_ = std::max(0, total);
    complete_ = 0;
    Invalidate();
}

void TProgressBar::SetPartsComplete(int complete) {
    int c = std::clamp(complete, 0, total_);
    if (c == complete_) return;
    complete_ = c;
    Invalidate();
}

int TProgressBar::Percent() const { return qv::Percent(complete_, total_); }

void TProgressBar::SetOrientation(TBarOrientation o) {
    orientation_ = o;
    Invalidate();
}

void TProgressBar::SetShowPercent(bool show) {
    showPercent_ = show;
    Invalidate();
}

void TProgressBar::Paint(HDC dc, const RECT& client) {
    // Painted into a memory bitmap first, so that a fast-moving bar does not flicker.
    int w = client.right - client.left, h = client.bottom - client.top;
    if (w <= 0 || h <= 0) return;
    HDC mem = CreateCompatibleDC(dc);
    HBITMAP bmp = CreateCompatibleBitmap(dc, w, h);
    HGDIOBJ oldBmp = SelectObject(mem, bmp);
    RECT all{0, 0, w, h};
    FillRect(mem, &all, SolidBrushFor(BackgroundColor()));

    RECT inner{1, 1, w - 1, h - 1};
    RECT filled = inner;
    double share = total_ > 0 ? static_cast<double>(complete_) / total_ : 0.0;
    if (orientation_ == TBarOrientation::Horizontal) {
        filled.right = inner.left + static_cast<int>((inner.right - inner.left) * share + 0.5);
    } else {  // vertical bars fill from the bottom up
        filled.top = inner.bottom - static_cast<int>((inner.bottom - inner.top) * share + 0.5);
    }
    if (filled.right > filled.left && filled.bottom > filled.top) FillRect(mem, &filled, SolidBrushFor(BarColor));
    FrameRect(mem, &all, SolidBrushFor(FrameColor));

    if (showPercent_) {
        std::string text = std::to_string(Percent()) + "%";
        HGDIOBJ oldFont = SelectObject(mem, FontHandle(font_));
        SetBkMode(mem, TRANSPARENT);
        // The text is drawn twice, clipped: dark over the empty part, white over the filled part.
        SetTextColor(mem, ColorToRGB(font_.Color));
        DrawTextA(mem, text.c_str(), -1, &all, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        HRGN clip = CreateRectRgnIndirect(&filled);
        SelectClipRgn(mem, clip);
        SetTextColor(mem, RGB(255, 255, 255));
        DrawTextA(mem, text.c_str(), -1, &all, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        SelectClipRgn(mem, nullptr);
        DeleteObject(clip);
        SelectObject(mem, oldFont);
    }
    BitBlt(dc, client.left, client.top, w, h, mem, 0, 0, SRCCOPY);
    SelectObject(mem, oldBmp);
    DeleteObject(bmp);
    DeleteDC(mem);
    TWinControl::Paint(dc, client);
}

}  // namespace qv::ui
