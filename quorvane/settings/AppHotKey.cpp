#include "quorvane/settings/AppHotKey.h"

#include <commctrl.h>

#include <stdexcept>

#include "common/core/Unhandled.h"

namespace qv {

namespace {
const char kProp[] = "QvAppHotKey";
// Applications may use the identifiers 0x0000 to 0xBFFF; 0 is kept for "none".
constexpr int kLastId = 0xBFFF;
int g_lastId = 0;

int NextId() {
    g_lastId = g_lastId >= kLastId ? 1 : g_lastId + 1;
    return g_lastId;
}

// Bits of the code, the hot-key field and the system, in the same order.
struct ModifierBits {
    TShortCut code;
    BYTE field;
    UINT system;
};
const ModifierBits kModifiers[] = {
    {scShift, HOTKEYF_SHIFT, MOD_SHIFT},
    {scCtrl, HOTKEYF_CONTROL, MOD_CONTROL},
    {scAlt, HOTKEYF_ALT, MOD_ALT},
};
}  // namespace

TShortCut ShortCutFromHotKeyField(BYTE key, BYTE flags) {
    TShortCut code = key;
    for (const ModifierBits& m : kModifiers)
        if (flags & m.field) code |= m.code;
    return code;
}

void HotKeyFieldFromShortCut(TShortCut code, BYTE& key, BYTE& flags) {
    key = static_cast<BYTE>(VirtualKeyOf(code));
    flags = 0;
    for (const ModifierBits& m : kModifiers)
        if (code & m.code) flags |= m.field;
}

UINT SystemModifiersOf(TShortCut code) {
    UINT mods = 0;
    for (const ModifierBits& m : kModifiers)
        if (code & m.code) mods |= m.system;
    return mods;
}

TShortCut ShortCutFromSystem(UINT modifiers, UINT virtualKey) {
    TShortCut code = static_cast<TShortCut>(virtualKey & 0xFFu);
    for (const ModifierBits& m : kModifiers)
        if (modifiers & m.system) code |= m.code;
    return code;
}

TAppHotKey::TAppHotKey(HWND owner) : owner_(owner) {
    if (GetPropA(owner, kProp)) throw std::logic_error("a window takes one program-wide shortcut");
    SetPropA(owner, kProp, this);
    next_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(owner, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TAppHotKey::Proc)));
}

TAppHotKey::~TAppHotKey() {
    Unregister();
    if (!IsWindow(owner_)) return;
    // Put the window's procedure back only while ours is the one in force.
    if (reinterpret_cast<WNDPROC>(GetWindowLongPtrA(owner_, GWLP_WNDPROC)) == &TAppHotKey::Proc)
        SetWindowLongPtrA(owner_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(next_));
    RemovePropA(owner_, kProp);
}

void TAppHotKey::SetHotKey(TShortCut code) {
    if (code == code_) return;
    bool wasActive = registered_;
    Unregister();
    code_ = code;
    if (wasActive) SetActive(true);
}

void TAppHotKey::SetActive(bool on) {
    Unregister();
    // No key, no shortcut: there is nothing to register and nothing another program could hold.
    if (!on || VirtualKeyOf(code_) == 0) return;
    int id = NextId();
    if (RegisterHotKey(owner_, id, SystemModifiersOf(code_), VirtualKeyOf(code_))) {
        id_ = id;
        registered_ = true;
    } else if (OnHotKeyRegisterFailed) {
        OnHotKeyRegisterFailed(this);
    }
}

void TAppHotKey::Unregister() {
    if (!registered_) return;
    UnregisterHotKey(owner_, id_);
    registered_ = false;
}

LRESULT CALLBACK TAppHotKey::Proc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    auto* self = static_cast<TAppHotKey*>(GetPropA(h, kProp));
    if (!self) return DefWindowProcA(h, msg, wp, lp);
    if (msg == WM_HOTKEY && self->registered_ && static_cast<int>(wp) == self->id_) {
        if (self->OnHotKey) Guarded([&] { self->OnHotKey(self); });
        return 0;
    }
    return CallWindowProcA(self->next_, h, msg, wp, lp);
}

}  // namespace qv
