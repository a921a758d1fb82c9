#include "UiTestSupport.h"

namespace qv::test {

namespace {
std::function<void(HWND)> g_action;
std::vector<WORD> g_keys;

void CALLBACK MenuTimer(HWND, UINT, UINT_PTR id, DWORD) {
    HWND menu = FindWindowA("#32768", nullptr);
    if (!menu || !IsWindowVisible(menu)) return;  // not open yet: try at the next tick
    KillTimer(nullptr, id);
    auto action = std::move(g_action);
    g_action = nullptr;
    if (action) action(menu);
    for (WORD k : g_keys) {
        PostMessageA(menu, WM_KEYDOWN, k, 0);
        PostMessageA(menu, WM_KEYUP, k, 0xC0000000);
    }
    g_keys.clear();
}
}  // namespace

HostForm::HostForm(int width, int height)
    : TForm("HostForm", [&] {
          ui::TFormOptions o;
          o.Caption = "Controls";
          o.ClientWidth = width;
          o.ClientHeight = height;
          o.Position = ui::TPosition::ScreenCenter;
          return o;
      }()) {
    Show();
}

void WhenMenuOpens(std::function<void(HWND)> action, std::vector<WORD> keys) {
    g_action = std::move(action);
    g_keys = std::move(keys);
    SetTimer(nullptr, 0, 20, MenuTimer);
}

COLORREF PixelOf(HBITMAP bmp, int x, int y) {
    BITMAP bm{};
    GetObjectA(bmp, sizeof bm, &bm);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = bm.bmWidth;
    bi.bmiHeader.biHeight = -bm.bmHeight;  // top-down rows
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    std::vector<DWORD> px(static_cast<size_t>(bm.bmWidth) * bm.bmHeight);
    HDC dc = GetDC(nullptr);
    GetDIBits(dc, bmp, 0, bm.bmHeight, px.data(), &bi, DIB_RGB_COLORS);
    ReleaseDC(nullptr, dc);
    DWORD v = px[static_cast<size_t>(y) * bm.bmWidth + x];  // 0x00RRGGBB
    return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
}

COLORREF ScreenPixel(HWND window, int x, int y) {
    HDC dc = GetDC(window);
    COLORREF c = GetPixel(dc, x, y);
    ReleaseDC(window, dc);
    return c;
}

void ClickAt(HWND window, int x, int y) {
    SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    SendMessageA(window, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
}

}  // namespace qv::test
