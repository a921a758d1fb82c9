// The notification-area icon against Wine's real notification area.
#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>

#include <cstring>
#include <vector>

#include "common/core/Unhandled.h"
#include "common/tray/TrayIcon.h"
#include "tests/support/MessagePump.h"

using namespace qv;
using qv::test::PumpMessagesUntil;

namespace {

// Whether the shell holds an icon for this window and id: modifying one it lacks fails.
bool ShellHolds(const TTrayIcon& icon) {
    NOTIFYICONDATAA d;
    std::memset(&d, 0, sizeof d);
    d.cbSize = NOTIFYICONDATAA_V1_SIZE;
    d.hWnd = icon.Handle();
    d.uID = icon.ID();
    d.uFlags = NIF_TIP;
    std::string tip = TrayTipText(icon.Hint());
    std::memcpy(d.szTip, tip.c_str(), tip.size() + 1);
    return Shell_NotifyIconA(NIM_MODIFY, &d) != FALSE;
}

// Takes the icon away the way an ending Explorer does: without telling its owner.
void RemoveBehindItsBack(const TTrayIcon& icon) {
    NOTIFYICONDATAA d;
    std::memset(&d, 0, sizeof d);
    d.cbSize = NOTIFYICONDATAA_V1_SIZE;
    d.hWnd = icon.Handle();
    d.uID = icon.ID();
    ASSERT_TRUE(Shell_NotifyIconA(NIM_DELETE, &d));
}

TEST(TrayIconTest, AddsChangesAndRemovesTheIcon) {
    TTrayIcon icon;
    icon.SetHint("Quorvane");
    EXPECT_FALSE(ShellHolds(icon)) << "not in the notification area before it is made visible";
    icon.SetVisible(true);
    EXPECT_TRUE(icon.Shown());
    EXPECT_TRUE(ShellHolds(icon));

    icon.SetHint(std::string(200, 'x'));  // longer than the shell takes
    icon.SetIcon(LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_WARNING)));
    EXPECT_TRUE(icon.Shown());
    EXPECT_EQ(icon.Hint().size(), 200u);
    EXPECT_TRUE(ShellHolds(icon));

    icon.SetVisible(false);
    EXPECT_FALSE(icon.Shown());
    EXPECT_FALSE(ShellHolds(icon));
}

TEST(TrayIconTest, FreeingTheObjectTakesTheIconAway) {
    HWND window;
    {
        TTrayIcon icon;
        icon.SetVisible(true);
        window = icon.Handle();
        ASSERT_TRUE(ShellHolds(icon));
    }
    NOTIFYICONDATAA d;
    std::memset(&d, 0, sizeof d);
    d.cbSize = NOTIFYICONDATAA_V1_SIZE;
    d.hWnd = window;
    d.uID = 1;
    EXPECT_FALSE(Shell_NotifyIconA(NIM_MODIFY, &d));
    EXPECT_FALSE(IsWindow(window));
}

TEST(TrayIconTest, TaskbarCreatedAddsAVisibleIconAgain) {
    const UINT taskbarCreated = RegisterWindowMessageA("TaskbarCreated");
    TTrayIcon shown, hidden;
    shown.SetHint("shown");
    shown.SetVisible(true);
    hidden.SetHint("hidden");
    ASSERT_TRUE(ShellHolds(shown));
    RemoveBehindItsBack(shown);
    ASSERT_FALSE(ShellHolds(shown));

    // Explorer tells every top-level window when it has started again.
    PostMessageA(HWND_BROADCAST, taskbarCreated, 0, 0);
    EXPECT_TRUE(PumpMessagesUntil([&] { return ShellHolds(shown); }));
    EXPECT_TRUE(shown.Shown());
    EXPECT_FALSE(ShellHolds(hidden)) << "an icon that is not visible stays out";
}

TEST(TrayIconTest, AnIconLostUnannouncedComesBackWithTheNextChange) {
    TTrayIcon icon;
    icon.SetVisible(true);
    RemoveBehindItsBack(icon);
    icon.SetHint("Downloading  Updates... 42%");
    EXPECT_TRUE(icon.Shown());
    EXPECT_TRUE(ShellHolds(icon));
}

TEST(TrayIconTest, MouseMessagesBecomeEvents) {
    struct Case {
        const char* name;
        std::vector<UINT> messages;  // as the shell sends them
        int clicks, dblClicks, rightClicks;
    } cases[] = {
        {"click", {WM_LBUTTONDOWN, WM_LBUTTONUP}, 1, 0, 0},
        {"double click", {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP}, 1, 1, 0},
        {"two clicks after a double click",
         {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP, WM_LBUTTONDOWN, WM_LBUTTONUP},
         2, 1, 0},
        {"right click", {WM_RBUTTONDOWN, WM_RBUTTONUP}, 0, 0, 1},
        {"moves only", {WM_MOUSEMOVE, WM_MOUSEMOVE}, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TTrayIcon icon;
        int clicks = 0, dbl = 0, right = 0;
        POINT at{-1, -1};
        icon.OnClick = [&] { ++clicks; };
        icon.OnDblClick = [&] { ++dbl; };
        icon.OnRightClick = [&](POINT p) {
            ++right;
            at = p;
        };
        for (UINT m : c.messages) SendMessageA(icon.Handle(), TTrayIcon::CallbackMessage, icon.ID(), m);
        POINT cursor;
        GetCursorPos(&cursor);
        EXPECT_EQ(clicks, c.clicks);
        EXPECT_EQ(dbl, c.dblClicks);
        EXPECT_EQ(right, c.rightClicks);
        if (c.rightClicks) {
            EXPECT_EQ(at.x, cursor.x);
            EXPECT_EQ(at.y, cursor.y);
        }
    }
}

TEST(TrayIconTest, AnErrorInAHandlerDoesNotEscapeTheWindow) {
    TTrayIcon icon;
    icon.OnDblClick = [] { throw std::runtime_error("handler failed"); };
    std::string reported;
    SetUnhandledHandler([&](std::exception_ptr e) { reported = ErrorMessage(e); });
    SendMessageA(icon.Handle(), TTrayIcon::CallbackMessage, icon.ID(), WM_LBUTTONDBLCLK);
    SetUnhandledHandler(nullptr);
    EXPECT_EQ(reported, "handler failed");
}

TEST(TrayTipTextTest, KeepsWhatTheFirstStructureVersionHolds) {
    const std::string a61(61, 'a'), a62(62, 'a'), a63(63, 'a');
    const std::string kanji = "\x93\xfa";  // one double-byte character of code page 932
    struct Case {
        const char* name;
        std::string hint;
        UINT codePage;
        std::string expected;
    } cases[] = {
        {"empty", "", 1252, ""},
        {"short", "Tidewell", 1252, "Tidewell"},
        {"exactly 63", a63, 1252, a63},
        {"64 cut to 63", a63 + "b", 1252, a63},
        {"long cut to 63", std::string(300, 'z'), 1252, std::string(63, 'z')},
        {"double-byte character across the limit is dropped whole", a62 + kanji + "b", 932, a62},
        {"double-byte character ending at the limit is kept", a61 + kanji + "b", 932, a61 + kanji},
        {"high bytes of a single-byte code page are characters", a62 + "\x93\xfa", 1252, a62 + "\x93"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(TrayTipText(c.hint, c.codePage), c.expected);
    }
}

// The owner of a tray menu: records the commands it receives.
std::vector<UINT> g_commands;
LRESULT CALLBACK OwnerProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_COMMAND) g_commands.push_back(LOWORD(wp));
    return DefWindowProcA(h, msg, wp, lp);
}

TEST(PopupMenuTest, TheChosenItemReachesTheOwnerAndAWmNullFollows) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = OwnerProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "QvTrayMenuOwner";
    RegisterClassA(&wc);
    HWND owner = CreateWindowExA(0, wc.lpszClassName, "owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                 wc.hInstance, nullptr);
    ASSERT_TRUE(owner);
    HMENU menu = CreatePopupMenu();
    AppendMenuA(menu, MF_STRING, 101, "Wash Now!");
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(menu, MF_STRING, 102, "Show");
    for (bool returnCommand : {false, true}) {
        SCOPED_TRACE(returnCommand ? "command returned" : "command sent");
        g_commands.clear();
        // The keys wait in the queue; the menu's own loop reads them: down, down, Enter picks "Show".
        PostMessageA(owner, WM_KEYDOWN, VK_DOWN, 0);
        PostMessageA(owner, WM_KEYDOWN, VK_DOWN, 0);
        PostMessageA(owner, WM_KEYDOWN, VK_RETURN, 0);
        UINT result = ShowPopupMenu(owner, menu, POINT{200, 200}, returnCommand);
        // WM_NULL cannot be filtered for (a 0..0 range means "every message"): look at them all.
        bool sawNull = false;
        MSG msg;
        while (PeekMessageA(&msg, owner, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_NULL) sawNull = true;
            DispatchMessageA(&msg);
        }
        EXPECT_TRUE(sawNull);
        if (returnCommand) {
            EXPECT_EQ(result, 102u);
            EXPECT_TRUE(g_commands.empty());
        } else {
            EXPECT_EQ(result, 0u);
            EXPECT_EQ(g_commands, std::vector<UINT>{102});
        }
    }
    DestroyMenu(menu);
    DestroyWindow(owner);
}

}  // namespace
