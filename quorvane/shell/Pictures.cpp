#include "quorvane/shell/Pictures.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "common/ui/Control.h"

namespace qv {

namespace {

COLORREF Mix(COLORREF a, COLORREF b, double t) {
    auto ch = [&](int x, int y) { return static_cast<int>(x + (y - x) * t + 0.5); };
    return RGB(ch(GetRValue(a), GetRValue(b)), ch(GetGValue(a), GetGValue(b)), ch(GetBValue(a), GetBValue(b)));
}

// A memory device context with a fresh bitmap selected; the bitmap outlives it.
class Canvas {
public:
    Canvas(int w, int h, bool monochrome = false) : w_(w), h_(h) {
        HDC screen = GetDC(nullptr);
        dc_ = CreateCompatibleDC(screen);
        bmp_ = monochrome ? CreateBitmap(w, h, 1, 1, nullptr) : CreateCompatibleBitmap(screen, w, h);
        ReleaseDC(nullptr, screen);
        old_ = SelectObject(dc_, bmp_);
        SetBkMode(dc_, TRANSPARENT);
    }
    ~Canvas() {
        SelectObject(dc_, old_);
        DeleteDC(dc_);
        if (bmp_) DeleteObject(bmp_);
    }
    HDC dc() const { return dc_; }
    GdiObject Take() {
        SelectObject(dc_, old_);
        old_ = SelectObject(dc_, GetStockObject(NULL_BRUSH));  // anything: the bitmap is out
        HBITMAP b = bmp_;
        bmp_ = nullptr;
        return GdiObject(b);
    }

    void VerticalGradient(const RECT& r, COLORREF top, COLORREF bottom) {
        int h = r.bottom - r.top;
        for (int y = 0; y < h; ++y) {
            RECT line{r.left, r.top + y, r.right, r.top + y + 1};
            FillRect(dc_, &line, ui::SolidBrushFor(Mix(top, bottom, h > 1 ? double(y) / (h - 1) : 0)));
        }
    }
    void HorizontalGradient(const RECT& r, COLORREF left, COLORREF right) {
        int w = r.right - r.left;
        for (int x = 0; x < w; ++x) {
            RECT col{r.left + x, r.top, r.left + x + 1, r.bottom};
            FillRect(dc_, &col, ui::SolidBrushFor(Mix(left, right, w > 1 ? double(x) / (w - 1) : 0)));
        }
    }
    // The wave that runs through all our pictures: a sine band of the given colour.
    void Wave(int baseY, int amplitude, double period, double phase, int thickness, COLORREF c) {
        HPEN pen = CreatePen(PS_SOLID, thickness, c);
        HGDIOBJ old = SelectObject(dc_, pen);
        for (int x = 0; x <= w_; x += 2) {
            int y = baseY + static_cast<int>(amplitude * std::sin(x / period + phase));
            if (x == 0)
                MoveToEx(dc_, x, y, nullptr);
            else
                LineTo(dc_, x, y);
        }
        SelectObject(dc_, old);
        DeleteObject(pen);
    }
    void Text(const std::string& s, int x, int y, int points, bool bold, COLORREF c, const char* face = "Tahoma") {
        ui::TFont f;
        f.Name = face;
        f.Size = points;
        f.Bold = bold;
        HGDIOBJ old = SelectObject(dc_, ui::FontHandle(f));
        SetTextColor(dc_, c);
        TextOutA(dc_, x, y, s.c_str(), static_cast<int>(s.size()));
        SelectObject(dc_, old);
    }
    void Disc(int cx, int cy, int r, COLORREF fill, COLORREF edge) {
        HPEN pen = CreatePen(PS_SOLID, 1, edge);
        HBRUSH br = CreateSolidBrush(fill);
        HGDIOBJ op = SelectObject(dc_, pen), ob = SelectObject(dc_, br);
        Ellipse(dc_, cx - r, cy - r, cx + r + 1, cy + r + 1);
        SelectObject(dc_, op);
        SelectObject(dc_, ob);
        DeleteObject(pen);
        DeleteObject(br);
    }
    // A small square button with a light rim, as the header's minimize and close buttons.
    void Button(const RECT& r, bool close) {
        VerticalGradient(r, close ? RGB(232, 120, 96) : RGB(120, 170, 230), close ? RGB(184, 52, 32) : RGB(40, 92, 170));
        FrameRect(dc_, &r, ui::SolidBrushFor(RGB(230, 240, 255)));
        HPEN pen = CreatePen(PS_SOLID, 2, RGB(255, 255, 255));
        HGDIOBJ old = SelectObject(dc_, pen);
        int cx = (r.left + r.right) / 2, cy = (r.top + r.bottom) / 2;
        if (close) {
            MoveToEx(dc_, cx - 4, cy - 4, nullptr);
            LineTo(dc_, cx + 4, cy + 4);
            MoveToEx(dc_, cx + 4, cy - 4, nullptr);
            LineTo(dc_, cx - 4, cy + 4);
        } else {
            MoveToEx(dc_, cx - 5, cy + 4, nullptr);
            LineTo(dc_, cx + 5, cy + 4);
        }
        SelectObject(dc_, old);
        DeleteObject(pen);
    }
    // The product mark: a disc with a ring and a tail, a stylised "Q" over a wave.
    void Mark(int cx, int cy, int r) {
        Disc(cx, cy, r, RGB(255, 255, 255), RGB(255, 255, 255));
        Disc(cx, cy, r * 3 / 4, RGB(30, 110, 200), RGB(30, 110, 200));
        Disc(cx, cy, r * 2 / 5, RGB(255, 255, 255), RGB(255, 255, 255));
        HPEN pen = CreatePen(PS_SOLID, std::max(2, r / 4), RGB(255, 170, 40));
        HGDIOBJ old = SelectObject(dc_, pen);
        MoveToEx(dc_, cx + r / 5, cy + r / 5, nullptr);
        LineTo(dc_, cx + r, cy + r);
        SelectObject(dc_, old);
        DeleteObject(pen);
    }

private:
    int w_, h_;
    HDC dc_;
    HBITMAP bmp_;
    HGDIOBJ old_;
};

}  // namespace

GdiObject MakeHeaderPicture() {
    Canvas c(kHeaderWidth, kHeaderHeight);
    RECT all{0, 0, kHeaderWidth, kHeaderHeight};
    c.HorizontalGradient(all, RGB(12, 44, 100), RGB(56, 128, 210));
    c.Wave(92, 10, 70.0, 0.0, 3, RGB(80, 150, 225));
    c.Wave(100, 8, 55.0, 1.3, 2, RGB(110, 176, 240));
    c.Wave(108, 6, 40.0, 2.1, 1, RGB(150, 200, 250));
    RECT band{0, kHeaderHeight - 4, kHeaderWidth, kHeaderHeight};
    c.HorizontalGradient(band, RGB(255, 170, 40), RGB(255, 220, 120));
    c.Mark(58, 54, 30);
    c.Text("Quorvane", 104, 22, 26, true, RGB(255, 255, 255));
    c.Text("Memory care for your computer", 108, 68, 10, false, RGB(200, 224, 255));
    c.Button(kMinimizeButtonRect, false);
    c.Button(kCloseButtonRect, true);
    return c.Take();
}

GdiObject MakeFooterPicture() {
    Canvas c(kFooterWidth, kFooterHeight);
    RECT all{0, 0, kFooterWidth, kFooterHeight};
    c.VerticalGradient(all, RGB(56, 128, 210), RGB(12, 44, 100));
    RECT line{0, 0, kFooterWidth, 2};
    c.HorizontalGradient(line, RGB(255, 170, 40), RGB(255, 220, 120));
    c.Text("Quorvane 5.1", 14, 15, 8, true, RGB(255, 255, 255));
    c.Text("Copyright (C) Zephlor. All rights reserved.", 560, 15, 8, false, RGB(200, 224, 255));
    return c.Take();
}

GdiObject MakeSplashPicture() {
    Canvas c(kSplashWidth, kSplashHeight);
    RECT all{0, 0, kSplashWidth, kSplashHeight};
    c.VerticalGradient(all, RGB(12, 44, 100), RGB(56, 128, 210));
    for (int i = 0; i < 4; ++i) c.Wave(220 + i * 12, 12 - 2 * i, 60.0 + 10 * i, i * 0.9, 3 - i / 2, RGB(90 + 20 * i, 160 + 15 * i, 235));
    c.Mark(92, 110, 46);
    c.Text("Quorvane", 160, 76, 32, true, RGB(255, 255, 255));
    c.Text("Version 5.1", 166, 132, 11, false, RGB(200, 224, 255));
    c.Text("Loading...", 20, 276, 8, false, RGB(230, 240, 255));
    RECT frame = all;
    FrameRect(c.dc(), &frame, ui::SolidBrushFor(RGB(255, 170, 40)));
    return c.Take();
}

IconHandle ProgramIcon(int resourceId, int size) {
    HANDLE h = LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(resourceId), IMAGE_ICON, size, size, 0);
    if (h) return IconHandle(static_cast<HICON>(h));
    return MakeProgramIcon(size);
}

IconHandle MakeProgramIcon(int size) {
    // The colour picture with black outside the round mark, and a mask that is transparent
    // (white) outside it: the form the system has wanted since the 9x family.
    Canvas color(size, size), mask(size, size, true);
    RECT all{0, 0, size, size};
    FillRect(color.dc(), &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    FillRect(mask.dc(), &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    int r = size / 2 - 1;
    color.Mark(size / 2 - 1, size / 2 - 1, r);
    mask.Disc(size / 2 - 1, size / 2 - 1, r, RGB(0, 0, 0), RGB(0, 0, 0));
    // The mark's tail reaches the corner: keep it opaque too.
    HPEN pen = CreatePen(PS_SOLID, std::max(2, r / 4), RGB(0, 0, 0));
    HGDIOBJ old = SelectObject(mask.dc(), pen);
    MoveToEx(mask.dc(), size / 2, size / 2, nullptr);
    LineTo(mask.dc(), size - 1 - r / 8, size - 1 - r / 8);
    SelectObject(mask.dc(), old);
    DeleteObject(pen);
    GdiObject colorBmp = color.Take(), maskBmp = mask.Take();
    ICONINFO ii{};
    ii.fIcon = TRUE;
    ii.hbmColor = static_cast<HBITMAP>(colorBmp.get());
    ii.hbmMask = static_cast<HBITMAP>(maskBmp.get());
    return IconHandle(CreateIconIndirect(&ii));
}

void DrawPicture(HDC dc, HBITMAP bmp, int x, int y) {
    BITMAP info{};
    if (!bmp || !GetObjectA(bmp, sizeof info, &info)) return;
    HDC mem = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(mem, bmp);
    BitBlt(dc, x, y, info.bmWidth, info.bmHeight, mem, 0, 0, SRCCOPY);
    SelectObject(mem, old);
    DeleteDC(mem);
}

}  // namespace qv
