#include "common/ui/Menu.h"

#include <map>

#include "common/core/Unhandled.h"
#include "common/ui/Form.h"

namespace qv::ui {

namespace {
UINT g_nextMenuId = 1000;  // far above the child-control ids and IDOK/IDCANCEL
std::map<UINT, TMenuItem*>& Registry() {
    static std::map<UINT, TMenuItem*> m;
    return m;
}
HMENU g_open = nullptr;
}  // namespace

TMenuItem::TMenuItem(std::string name, std::string caption, std::function<void(TMenuItem*)> onClick)
    : Name(std::move(name)), Caption(std::move(caption)), OnClick(std::move(onClick)), id_(g_nextMenuId++) {
    Registry()[id_] = this;
}

TMenuItem::~TMenuItem() { Registry().erase(id_); }

TMenuItem* TMenuItem::Add(std::string name, std::string caption, std::function<void(TMenuItem*)> onClick) {
    items_.push_back(std::make_unique<TMenuItem>(std::move(name), std::move(caption), std::move(onClick)));
    return items_.back().get();
}

TMenuItem* TMenuItem::AddSeparator() { return Add("", "-"); }

TMenuItem* TMenuItem::Find(const std::string& name) {
    for (auto& i : items_) {
        if (i->Name == name) return i.get();
        if (TMenuItem* f = i->Find(name)) return f;
    }
    return nullptr;
}

bool TMenuItem::Dispatch(UINT id) {
    auto it = Registry().find(id);
    if (it == Registry().end()) return false;
    it->second->Click();
    return true;
}

void TMenuItem::Click() {
    if (Enabled && OnClick) OnClick(this);
}

void TMenuItem::AppendTo(HMENU menu) const {
    for (auto& i : items_) {
        if (!i->Visible) continue;
        if (i->IsSeparator()) {
            AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
            continue;
        }
        std::string text = i->Caption;
        if (!i->ShortCutText.empty()) text += "\t" + i->ShortCutText;
        UINT flags = MF_STRING | (i->Checked ? MF_CHECKED : 0) | (i->Enabled ? 0 : MF_GRAYED);
        if (!i->items_.empty()) {
            HMENU sub = CreatePopupMenu();
            i->AppendTo(sub);
            AppendMenuA(menu, flags | MF_POPUP, reinterpret_cast<UINT_PTR>(sub), text.c_str());
        } else {
            AppendMenuA(menu, flags, i->id_, text.c_str());
        }
        if (i->Default) SetMenuDefaultItem(menu, i->id_, FALSE);
    }
}

HMENU TMenuItem::BuildPopup() const {
    HMENU m = CreatePopupMenu();
    AppendTo(m);
    return m;
}

TPopupMenu::TPopupMenu(std::string name) : name_(name), root_(std::move(name), "") {}

HMENU TPopupMenu::OpenMenu() { return g_open; }

void TPopupMenu::Popup(int x, int y, HWND owner) {
    if (OnPopup) OnPopup(this);
    HMENU m = root_.BuildPopup();
    HWND w = owner ? owner : GetActiveWindow();
    if (!w) w = GetForegroundWindow();
    // The owner must be in the foreground, or the menu may close at once (or never on a click
    // elsewhere); the null message afterwards lets it finish closing.
    if (w) SetForegroundWindow(w);
    g_open = m;
    UINT cmd = TrackPopupMenu(m, TPM_RETURNCMD | TPM_NONOTIFY | TPM_LEFTALIGN | TPM_RIGHTBUTTON, x, y, 0, w, nullptr);
    g_open = nullptr;
    if (w) PostMessageA(w, WM_NULL, 0, 0);
    DestroyMenu(m);
    if (cmd) TMenuItem::Dispatch(cmd);
}

TMainMenu::TMainMenu(std::string name) : root_(std::move(name), "") {}

void TMainMenu::AttachTo(TForm* form) {
    HMENU bar = CreateMenu();
    for (auto& top : root_.Items()) {
        HMENU sub = top->BuildPopup();
        AppendMenuA(bar, MF_STRING | MF_POPUP | (top->Enabled ? 0 : MF_GRAYED), reinterpret_cast<UINT_PTR>(sub),
                    top->Caption.c_str());
    }
    HMENU old = bar_;
    SetMenu(form->Handle(), bar);
    bar_ = bar;
    if (old) DestroyMenu(old);
    // The form's size is its client area: keep it with the menu bar added.
    form->SetBounds(form->Left(), form->Top(), form->ClientWidth(), form->ClientHeight());
    DrawMenuBar(form->Handle());
}

}  // namespace qv::ui
