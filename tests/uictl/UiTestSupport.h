// What the control tests share: a set-up that registers the common controls, a message pump
// with a time bound, a way to leave or pick from a pop-up menu that a test opens, and pixel reads.
#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "common/ui/Application.h"
#include "common/ui/Form.h"

namespace qv::test {

class UiTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ui::Application().Initialize(); }
    // Pumps messages until cond holds or the time is up.
    template <class Cond>
    static bool PumpUntil(Cond cond, DWORD ms = 3000) {
        DWORD start = GetTickCount();
        while (!cond()) {
            if (GetTickCount() - start > ms) return false;
            ui::Application().ProcessMessages();
            Sleep(5);
        }
        return true;
    }
};

// A visible form for controls to live on.
struct HostForm : ui::TForm {
    explicit HostForm(int width = 400, int height = 300);
};

// While a pop-up menu of this thread is open (its own message loop runs), calls action once
// with the menu's window, then keys: e.g. {VK_DOWN, VK_RETURN} picks the first item, {VK_ESCAPE}
// leaves the menu. Returns at once; the action runs from a timer inside the menu's loop.
void WhenMenuOpens(std::function<void(HWND menuWindow)> action, std::vector<WORD> keys);

// Pixel colour (0x00BBGGRR) of a bitmap at x, y (y counted from the top).
COLORREF PixelOf(HBITMAP bmp, int x, int y);
// Pixel colour on the screen of a window's client point.
COLORREF ScreenPixel(HWND window, int x, int y);

// Sends a left click at a client point (button down and up).
void ClickAt(HWND window, int x, int y);

}  // namespace qv::test
