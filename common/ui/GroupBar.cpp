#include "common/ui/GroupBar.h"

#include <windowsx.h>

namespace qv::ui {

namespace {
constexpr int kMargin = 8;
constexpr int kHeaderHeight = 25;
constexpr int kItemHeight = 24;
constexpr int kItemsPadding = 6;
constexpr int kGroupGap = 10;

COLORREF Mix(COLORREF a, COLORREF b, int num, int den) {
    auto ch = [&](int x, int y) { return x + (y - x) * num / den; };
    return RGB(ch(GetRValue(a), GetRValue(b)), ch(GetGValue(a), GetGValue(b)), ch(GetBValue(a), GetBValue(b)));
}

void VerticalGradient(HDC dc, const RECT& r, COLORREF top, COLORREF bottom) {
    int h = r.bottom - r.top;
    for (int y = 0; y < h; ++y) {
        RECT line{r.left, r.top + y, r.right, r.top + y + 1};
        FillRect(dc, &line, SolidBrushFor(Mix(top, bottom, y, h > 1 ? h - 1 : 1)));
    }
}
}  // namespace

TGroupBarGroup::TGroupBarGroup(TGroupBar* bar, std::string name, std::string caption)
    : bar_(bar), name_(std::move(name)), caption_(std::move(caption)) {}

TGroupBarItem* TGroupBarGroup::AddItem(const std::string& name, const std::string& caption,
                                       std::function<void(TGroupBarItem*)> onClick) {
    auto item = std::make_unique<TGroupBarItem>();
    item->Name = name;
    item->Caption = caption;
    item->OnClick = std::move(onClick);
    items_.push_back(std::move(item));
    bar_->Invalidate();
    return items_.back().get();
}

TGroupBarItem* TGroupBarGroup::Item(int i) const {
    return i >= 0 && i < ItemCount() ? items_[static_cast<size_t>(i)].get() : nullptr;
}

TGroupBar::TGroupBar(TWinControl* parent, std::string name, int left, int top, int width, int height)
    : TWinControl(parent, std::move(name)) {
    InitBounds(left, top, width, height);
    color_ = RGB(214, 228, 246);
    CreateContainer(WS_VISIBLE, 0);
}

TGroupBar::~TGroupBar() = default;

TGroupBarGroup* TGroupBar::AddGroup(const std::string& name, const std::string& caption) {
    groups_.push_back(std::make_unique<TGroupBarGroup>(this, name, caption));
    Invalidate();
    return groups_.back().get();
}

TGroupBarGroup* TGroupBar::Group(int i) const {
    return i >= 0 && i < GroupCount() ? groups_[static_cast<size_t>(i)].get() : nullptr;
}

TGroupBarGroup* TGroupBar::FindGroup(const std::string& name) const {
    for (auto& g : groups_)
        if (g->Name() == name) return g.get();
    return nullptr;
}

TGroupBarItem* TGroupBar::FindItem(const std::string& name) const {
    for (auto& g : groups_)
        for (int i = 0; i < g->ItemCount(); ++i)
            if (g->Item(i)->Name == name) return g->Item(i);
    return nullptr;
}

void TGroupBar::SetOpenGroup(int index) {
    open_ = (index >= 0 && index < GroupCount()) ? index : -1;
    hotGroup_ = hotItem_ = -1;
    Invalidate();
}

RECT TGroupBar::HeaderRect(int group) const {
    int y = kMargin;
    for (int g = 0; g < GroupCount(); ++g) {
        RECT r{kMargin, y, width_ - kMargin, y + kHeaderHeight};
        if (g == group) return r;
        y += kHeaderHeight;
        if (g == open_) y += Group(g)->ItemCount() * kItemHeight + 2 * kItemsPadding;
        y += kGroupGap;
    }
    return RECT{0, 0, 0, 0};
}

RECT TGroupBar::ItemRect(int group, int item) const {
    if (group != open_ || !Group(group) || !Group(group)->Item(item)) return RECT{0, 0, 0, 0};
    RECT h = HeaderRect(group);
    int top = h.bottom + kItemsPadding + item * kItemHeight;
    return RECT{h.left, top, h.right, top + kItemHeight};
}

void TGroupBar::HitTest(POINT p, int& group, int& item) const {
    group = item = -1;
    for (int g = 0; g < GroupCount(); ++g) {
        RECT h = HeaderRect(g);
        if (PtInRect(&h, p)) {
            group = g;
            return;
        }
        if (g != open_) continue;
        for (int i = 0; i < Group(g)->ItemCount(); ++i) {
            RECT r = ItemRect(g, i);
            if (PtInRect(&r, p)) {
                group = g;
                item = i;
                return;
            }
        }
    }
}

LRESULT TGroupBar::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_LBUTTONUP: {
            POINT p{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
            int g, i;
            HitTest(p, g, i);
            if (g >= 0 && i < 0) {
                SetOpenGroup(g == open_ ? -1 : g);
            } else if (g >= 0) {
                TGroupBarItem* item = Group(g)->Item(i);
                if (item->OnClick) item->OnClick(item);
            }
            return 0;
        }
        case WM_MOUSEMOVE: {
            POINT p{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
            int g, i;
            HitTest(p, g, i);
            if (g != hotGroup_ || i != hotItem_) {
                hotGroup_ = g;
                hotItem_ = i;
                TRACKMOUSEEVENT tme{sizeof tme, TME_LEAVE, hwnd_, 0};
                TrackMouseEvent(&tme);
                Invalidate();
            }
            break;
        }
        case WM_MOUSELEAVE:
            hotGroup_ = hotItem_ = -1;
            Invalidate();
            return 0;
        case WM_SETCURSOR:
            if (hotGroup_ >= 0 && LOWORD(lp) == HTCLIENT) {
                SetCursor(LoadCursor(nullptr, MAKEINTRESOURCE(32649)));  // IDC_HAND
                return TRUE;
            }
            break;
        case WM_ERASEBKGND:
            return 1;  // Paint covers everything
    }
    return TWinControl::WindowProc(msg, wp, lp);
}

void TGroupBar::PaintHeader(HDC dc, int g, const RECT& r) const {
    bool hot = g == hotGroup_ && hotItem_ < 0;
    VerticalGradient(dc, r, hot ? HeaderColor2 : HeaderColor, hot ? HeaderColor : HeaderColor2);
    TFont f = font_;
    f.Bold = true;
    HGDIOBJ old = SelectObject(dc, FontHandle(f));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(255, 255, 255));
    RECT tr{r.left + 8, r.top, r.right - 24, r.bottom};
    DrawTextA(dc, Group(g)->Caption().c_str(), -1, &tr, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS);
    SelectObject(dc, old);
    // The chevron: pointing up when open (a click closes), down when closed.
    int cx = r.right - 13, cy = (r.top + r.bottom) / 2;
    int dir = g == open_ ? -1 : 1;
    HPEN pen = CreatePen(PS_SOLID, 2, RGB(255, 255, 255));
    HGDIOBJ oldPen = SelectObject(dc, pen);
    MoveToEx(dc, cx - 4, cy - 2 * dir, nullptr);
    LineTo(dc, cx, cy + 2 * dir);
    LineTo(dc, cx + 5, cy - 3 * dir);
    SelectObject(dc, oldPen);
    DeleteObject(pen);
}

void TGroupBar::Paint(HDC target, const RECT& client) {
    int w = client.right - client.left, h = client.bottom - client.top;
    if (w <= 0 || h <= 0) return;
    HDC dc = CreateCompatibleDC(target);
    HBITMAP bmp = CreateCompatibleBitmap(target, w, h);
    HGDIOBJ oldBmp = SelectObject(dc, bmp);
    VerticalGradient(dc, client, ColorToRGB(color_), RGB(168, 196, 232));

    for (int g = 0; g < GroupCount(); ++g) {
        RECT hr = HeaderRect(g);
        PaintHeader(dc, g, hr);
        if (g != open_) continue;
        RECT body{hr.left, hr.bottom, hr.right,
                  hr.bottom + Group(g)->ItemCount() * kItemHeight + 2 * kItemsPadding};
        FillRect(dc, &body, SolidBrushFor(RGB(240, 246, 253)));
        FrameRect(dc, &body, SolidBrushFor(RGB(255, 255, 255)));
        for (int i = 0; i < Group(g)->ItemCount(); ++i) {
            TGroupBarItem* item = Group(g)->Item(i);
            RECT ir = ItemRect(g, i);
            RECT glyph{ir.left + 8, ir.top + 6, ir.left + 20, ir.top + 18};
            FillRect(dc, &glyph, SolidBrushFor(item->GlyphColor));
            RECT shine{glyph.left + 2, glyph.top + 2, glyph.left + 6, glyph.top + 6};
            FillRect(dc, &shine, SolidBrushFor(Mix(item->GlyphColor, RGB(255, 255, 255), 2, 3)));
            TFont f = font_;
            f.Underline = g == hotGroup_ && i == hotItem_;
            HGDIOBJ old = SelectObject(dc, FontHandle(f));
            SetBkMode(dc, TRANSPARENT);
            SetTextColor(dc, ItemTextColor);
            RECT tr{ir.left + 28, ir.top, ir.right - 4, ir.bottom};
            DrawTextA(dc, item->Caption.c_str(), -1, &tr, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS);
            SelectObject(dc, old);
        }
    }
    BitBlt(target, 0, 0, w, h, dc, 0, 0, SRCCOPY);
    SelectObject(dc, oldBmp);
    DeleteObject(bmp);
    DeleteDC(dc);
    TWinControl::Paint(target, client);
}

}  // namespace qv::ui
