// The notification-area icon, on Shell_NotifyIcon with a hidden window of its own that receives
// the shell's mouse messages. The first version of the icon structure is used, so that the
// 9x family and NT4 accept it; its tip holds at most 63 characters.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

namespace qv {

class TTrayIcon {
public:
    // Creates the hidden window on the calling thread, which must run a message loop; the icon
    // is not in the notification area until Visible is set.
    TTrayIcon();
    ~TTrayIcon();  // takes the icon out of the notification area
    TTrayIcon(const TTrayIcon&) = delete;
    TTrayIcon& operator=(const TTrayIcon&) = delete;

    // The icon is not owned. None set: the system's application icon.
    void SetIcon(HICON icon);
    HICON Icon() const noexcept { return icon_; }
    // Kept as given; the shell gets it through TrayTipText.
    void SetHint(const std::string& hint);
    const std::string& Hint() const noexcept { return hint_; }
    void SetVisible(bool visible);
    bool Visible() const noexcept { return visible_; }
    // Whether the shell holds the icon now: false while Visible when the taskbar was not there
    // to take it (it is added again when the taskbar announces itself).
    bool Shown() const noexcept { return shown_; }

    HWND Handle() const noexcept { return window_; }
    UINT ID() const noexcept { return 1; }
    static constexpr UINT CallbackMessage = WM_USER + 101;

    // A click is the left button's release, except the release that ends a double click.
    std::function<void()> OnClick;
    std::function<void()> OnDblClick;
    // The right button's release, with the cursor's screen position: the owner shows its menu.
    std::function<void(POINT screenPos)> OnRightClick;

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    void MouseMessage(UINT mouseMsg);
    bool Notify(DWORD action);
    void Update();

    HWND window_ = nullptr;
    HICON icon_ = nullptr;
    std::string hint_;
    bool visible_ = false;
    bool shown_ = false;
    bool inDblClick_ = false;
};

// The hint as the first version of the icon structure holds it: at most 63 bytes, cut before a
// double-byte character rather than through it (code page: the system's ANSI one by default).
std::string TrayTipText(const std::string& hint, UINT codePage = CP_ACP);

// Shows a pop-up menu for a notification-area icon at a screen position, the way the shell
// needs it: the owner is made the foreground window first (or the menu does not close when the
// user clicks elsewhere) and a WM_NULL is posted after it (or the next menu closes at once).
// Without `returnCommand` the chosen item reaches the owner as WM_COMMAND and 0 is returned;
// with it, the chosen item's id is returned (0: none) and no WM_COMMAND is sent.
UINT ShowPopupMenu(HWND owner, HMENU menu, POINT screenPos, bool returnCommand = false);

}  // namespace qv
