// The program-wide shortcut: a key combination registered with the system for a window, so that
// it reaches us from anywhere, also while the window is hidden in the notification area.
//
// The shortcut code is the 16-bit form the hot-key field and the stored value `Shortcut` share:
// bits 0-7 the virtual key, 0x2000 Shift, 0x4000 Ctrl, 0x8000 Alt.
#pragma once
#include <windows.h>

#include <functional>

namespace qv {

using TShortCut = WORD;
constexpr TShortCut scShift = 0x2000;
constexpr TShortCut scCtrl = 0x4000;
constexpr TShortCut scAlt = 0x8000;

// The hot-key field's key and flags (HOTKEYF_SHIFT, _CONTROL, _ALT; _EXT is not kept) as a code.
TShortCut ShortCutFromHotKeyField(BYTE key, BYTE flags);
// The code as the hot-key field's key and flags.
void HotKeyFieldFromShortCut(TShortCut code, BYTE& key, BYTE& flags);
// The system's modifier flags for RegisterHotKey (MOD_ALT 1, MOD_CONTROL 2, MOD_SHIFT 4).
UINT SystemModifiersOf(TShortCut code);
// The code of a key and the system's modifier flags (what WM_HOTKEY reports).
TShortCut ShortCutFromSystem(UINT modifiers, UINT virtualKey);
inline UINT VirtualKeyOf(TShortCut code) { return code & 0xFFu; }

// A hot key bound to one window of the UI thread. Activation registers the code with the system
// under a fresh identifier; deactivation, a new code and the end of the object unregister it.
// The window is subclassed while the object lives (one hot key per window), so WM_HOTKEY with
// our identifier reaches OnHotKey; every other message goes on to the window's own procedure.
class TAppHotKey {
public:
    explicit TAppHotKey(HWND owner);
    ~TAppHotKey();
    TAppHotKey(const TAppHotKey&) = delete;
    TAppHotKey& operator=(const TAppHotKey&) = delete;

    TShortCut HotKey() const { return code_; }
    // A new code while active registers it again (the old one is unregistered first).
    void SetHotKey(TShortCut code);
    bool Active() const { return registered_; }
    // True registers; when the system refuses, OnHotKeyRegisterFailed runs and the object stays
    // inactive. A code without a key (the empty field) registers nothing. False unregisters.
    void SetActive(bool on);
    // The identifier of the current registration (0 while inactive).
    int Id() const { return registered_ ? id_ : 0; }

    std::function<void(TAppHotKey* sender)> OnHotKey;
    std::function<void(TAppHotKey* sender)> OnHotKeyRegisterFailed;

private:
    static LRESULT CALLBACK Proc(HWND h, UINT msg, WPARAM wp, LPARAM lp);
    void Unregister();
    HWND owner_;
    WNDPROC next_ = nullptr;
    TShortCut code_ = 0;
    bool registered_ = false;
    int id_ = 0;
};

}  // namespace qv
