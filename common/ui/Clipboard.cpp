#include "common/ui/Clipboard.h"

namespace qv::ui {

HBITMAP CopyWindowPixels(HWND window, const RECT& r) {
    int w = r.right - r.left, h = r.bottom - r.top;
    if (w <= 0 || h <= 0) return nullptr;
    HDC src = GetDC(window);
    if (!src) return nullptr;
    HBITMAP bmp = CreateCompatibleBitmap(src, w, h);
    if (bmp) {
        HDC mem = CreateCompatibleDC(src);
        HGDIOBJ old = SelectObject(mem, bmp);
        BitBlt(mem, 0, 0, w, h, src, r.left, r.top, SRCCOPY);
        SelectObject(mem, old);
        DeleteDC(mem);
    }
    ReleaseDC(window, src);
    return bmp;
}

bool SetClipboardBitmap(HWND owner, HBITMAP bmp) {
    if (!bmp) return false;
    // The clipboard owns what it is given: it gets a copy, never the caller's bitmap.
    HANDLE copy = CopyImage(bmp, IMAGE_BITMAP, 0, 0, 0);
    if (!copy) return false;
    // Another program may hold the clipboard for a moment.
    bool open = false;
    for (int attempt = 0; attempt < 10 && !(open = OpenClipboard(owner) != FALSE); ++attempt) Sleep(10);
    if (!open) {
        DeleteObject(copy);
        return false;
    }
    bool done = EmptyClipboard() && SetClipboardData(CF_BITMAP, copy) != nullptr;
    CloseClipboard();
    if (!done) DeleteObject(copy);
    return done;
}

}  // namespace qv::ui
