// Menus: items with caption ("-" is a separator), check mark, enabled state, sub-items and a
// click handler; pop-up menus shown at a screen position with an OnPopup step before; the
// menu bar of a form. Menus are built afresh from the items each time they are shown, so an
// item's state is simply its fields.
#pragma once
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace qv::ui {

class TForm;

class TMenuItem {
public:
    TMenuItem(std::string name, std::string caption, std::function<void(TMenuItem*)> onClick = nullptr);
    ~TMenuItem();
    TMenuItem(const TMenuItem&) = delete;
    TMenuItem& operator=(const TMenuItem&) = delete;

    std::string Name;
    std::string Caption;
    std::string ShortCutText;  // shown right-aligned, e.g. "Del"
    bool Checked = false;
    bool Enabled = true;
    bool Visible = true;
    bool Default = false;      // shown bold
    std::function<void(TMenuItem* sender)> OnClick;

    TMenuItem* Add(std::string name, std::string caption, std::function<void(TMenuItem*)> onClick = nullptr);
    TMenuItem* AddSeparator();
    const std::vector<std::unique_ptr<TMenuItem>>& Items() const { return items_; }
    TMenuItem* Find(const std::string& name);
    bool IsSeparator() const { return Caption == "-"; }
    UINT Id() const { return id_; }

    // Runs the click of the item with this command id; false when no such item.
    static bool Dispatch(UINT id);
    void Click();
    // Builds a system menu of the sub-items (the caller destroys it).
    HMENU BuildPopup() const;

private:
    void AppendTo(HMENU menu) const;
    std::vector<std::unique_ptr<TMenuItem>> items_;
    UINT id_;
};

class TPopupMenu {
public:
    explicit TPopupMenu(std::string name);
    const std::string& Name() const { return name_; }
    TMenuItem& Items() { return root_; }
    TMenuItem* Add(std::string name, std::string caption, std::function<void(TMenuItem*)> onClick = nullptr) {
        return root_.Add(std::move(name), std::move(caption), std::move(onClick));
    }
    TMenuItem* AddSeparator() { return root_.AddSeparator(); }
    TMenuItem* Find(const std::string& name) { return root_.Find(name); }

    std::function<void(TPopupMenu* sender)> OnPopup;
    // Runs OnPopup, shows the menu at the screen position and runs the chosen item's click.
    // owner: the window that owns the menu while it is open (nullptr: the active window).
    void Popup(int x, int y, HWND owner = nullptr);
    // Set while the menu is open, for tests that pick an item from another thread.
    static HMENU OpenMenu();

private:
    std::string name_;
    TMenuItem root_;
};

class TMainMenu {
public:
    explicit TMainMenu(std::string name);
    TMenuItem& Items() { return root_; }
    TMenuItem* Add(std::string name, std::string caption) { return root_.Add(std::move(name), std::move(caption)); }
    TMenuItem* Find(const std::string& name) { return root_.Find(name); }
    // Puts the menu bar on the form (again, after items changed).
    void AttachTo(TForm* form);

private:
    TMenuItem root_;
    HMENU bar_ = nullptr;
};

}  // namespace qv::ui
