// Further controls: the tab control with one page per tab, the vertically scrolling box, the
// button that drops down a menu, the check-list box and the bevel line.
#pragma once
#include "common/ui/Control.h"

namespace qv::ui {

class TPopupMenu;

// The page of one tab: a container shown while its tab is selected.
class TTabSheet : public TWinControl {
public:
    TTabSheet(TWinControl* parent, std::string name);
};

class TTabControl : public TWinControl {
public:
    TTabControl(TWinControl* parent, std::string name, int left, int top, int width, int height);
    ~TTabControl() override;
    // Appends a tab and its page; the first tab added is selected.
    TTabSheet* AddTab(const std::string& pageName, const std::string& caption);
    int TabCount() const { return static_cast<int>(pages_.size()); }
    TTabSheet* Page(int i) const;
    int TabIndex() const;
    // Selects a tab from code (OnChange does not run).
    void SetTabIndex(int i);
    // Every tab this wide (pixels).
    void SetTabWidth(int width);
    HWND TabsHandle() const { return tabs_; }

    TNotifyEvent OnChange;  // the user chose another tab; its page is shown by then
    bool HandleNotify(NMHDR* nm, LRESULT& result) override;

protected:
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    void Layout();
    void ShowPage(int i);
    HWND tabs_ = nullptr;
    std::vector<TTabSheet*> pages_;
};

// A container whose children scroll vertically when they reach below its bottom edge.
class TScrollBox : public TWinControl {
public:
    TScrollBox(TWinControl* parent, std::string name, int left, int top, int width, int height, bool border = true);
    // The lowest child's bottom edge (in content coordinates).
    int ContentHeight() const;
    int ScrollPos() const { return pos_; }
    void ScrollTo(int pos);
    // Brings a child (or a control further down) fully into view.
    void ScrollInView(HWND child);
    // Call after moving or resizing children; children that are created update it themselves.
    void UpdateScrollRange();
    int LineStep = 8;

protected:
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    int ClientHeight() const;
    // creating: a child still being created, not yet marked visible but counted all the same.
    int ContentHeight(HWND creating) const;
    void UpdateScrollRange(HWND creating);
    int pos_ = 0;
};

// A push button that drops down its menu under itself.
class TMenuButton : public TControl {
public:
    TMenuButton(TWinControl* parent, std::string name, const std::string& caption, int left, int top,
                int width = 90, int height = 25);
    TPopupMenu* DropDownMenu = nullptr;
    // Opens the menu below the button (it runs the menu's OnPopup and the chosen item's click).
    void DropDown();
    bool HandleCommand(WORD code) override;
    bool HandleDrawItem(DRAWITEMSTRUCT* dis) override;

private:
    bool down_ = false;
};

// A list of lines with check boxes. The user ticks and unticks with the mouse on the box or
// with the space bar; a forced line, once ticked, cannot be unticked by the user.
class TCheckListBox : public TControl {
public:
    TCheckListBox(TWinControl* parent, std::string name, int left, int top, int width, int height,
                  bool border = true);
    int AddItem(const std::string& text, bool checked = false);
    void Clear();
    int Count() const;
    std::string Item(int i) const;
    int ItemIndex() const;
    void SetItemIndex(int i);
    bool Checked(int i) const;
    // From code: no OnClickCheck, and forced lines may be unticked.
    void SetChecked(int i, bool checked);
    bool Forced(int i) const;
    void SetForced(int i, bool forced);

    // The user ticked or unticked line index.
    std::function<void(TCheckListBox* sender, int index)> OnClickCheck;
    // OnClick (of TControl) runs when the selected line changes, by mouse or keyboard.

    bool HandleCommand(WORD code) override;
    bool HandleDrawItem(DRAWITEMSTRUCT* dis) override;

protected:
    bool SubclassMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
    void FontChanged() override;

private:
    LPARAM Flags(int i) const;
    void SetFlags(int i, LPARAM flags);
    void UserToggle(int i);
    int BoxWidth() const;
};

// A horizontal etched line.
class TBevel : public TControl {
public:
    TBevel(TWinControl* parent, std::string name, int left, int top, int width);
    bool HandleDrawItem(DRAWITEMSTRUCT* dis) override;
};

}  // namespace qv::ui
