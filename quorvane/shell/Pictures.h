// The program's pictures, drawn in code at start: the main window's header (with the minimize
// and close buttons under their click spots) and footer, the splash picture and the icon.
#pragma once
#include <windows.h>

#include "common/core/Handles.h"

namespace qv {

constexpr int kHeaderWidth = 776, kHeaderHeight = 127;
constexpr int kFooterWidth = 776, kFooterHeight = 45;
constexpr int kSplashWidth = 500, kSplashHeight = 304;
// Where the header shows its two buttons (the main window lays its click spots over them).
constexpr RECT kMinimizeButtonRect{715, 18, 715 + 22, 18 + 23};
constexpr RECT kCloseButtonRect{739, 19, 739 + 21, 19 + 21};

GdiObject MakeHeaderPicture();
GdiObject MakeFooterPicture();
GdiObject MakeSplashPicture();
// The program's icon at size x size pixels (16 and 32 are the sizes the system asks for).
IconHandle MakeProgramIcon(int size);
// The icon of the program's resources with this id at this size; where the running module has
// no such resource (the test programs), the drawn program icon.
IconHandle ProgramIcon(int resourceId, int size);

// Draws a whole bitmap at (x, y) of the device context.
void DrawPicture(HDC dc, HBITMAP bmp, int x, int y);

}  // namespace qv
