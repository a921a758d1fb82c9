// Pictures of what is on the screen, and bitmaps on the clipboard.
#pragma once
#include <windows.h>

namespace qv::ui {

// A new bitmap (the caller deletes it) with the pixels of rectangle r of the window's client
// area as they are on the screen now; nullptr when it could not be made.
HBITMAP CopyWindowPixels(HWND window, const RECT& r);

// Puts a copy of the bitmap on the clipboard in place of what is there; the caller keeps its
// own bitmap and frees it. False when the clipboard could not be opened or taken.
bool SetClipboardBitmap(HWND owner, HBITMAP bmp);

}  // namespace qv::ui
