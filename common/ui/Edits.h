// Edit fields of other kinds: the spin edit (whole numbers with up and down arrows), the button
// edit (a read-only field with a small folder button at its right end), the hot-key field and
// the read-only memo (several lines, a vertical scroll bar, no border, skipped by Tab).
#pragma once
#include "common/ui/StdCtrls.h"

namespace qv::ui {

// An edit with a small control inside its right end (a child of the edit, so it moves, hides
// and scrolls with it); the text stops short of it.
class TEditWithButton : public TEdit {
public:
    ~TEditWithButton() override;
    void SetEnabled(bool v) override;
    HWND ButtonHandle() const { return inner_; }

protected:
    TEditWithButton(TWinControl* parent, std::string name, int left, int top, int width, int height, DWORD style);
    void CreateInner(const char* className, DWORD style, int width);
    bool SubclassMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    void PlaceInner();
    HWND inner_ = nullptr;
    int innerWidth_ = 0;
};

// The value the text of a spin edit stands for: a whole number pulled into [min, max]; text that
// is no whole number (empty, letters, "2.5") reads as min.
int SpinValueOf(const std::string& text, int min, int max);

class TSpinEdit : public TEditWithButton {
public:
    TSpinEdit(TWinControl* parent, std::string name, int left, int top, int width, int height = 21);
    int Min() const { return min_; }
    int Max() const { return max_; }
    // A value shown that no longer fits the range is pulled to the nearer bound; one that fits stays.
    void SetMin(int v);
    void SetMax(int v);
    // The shown text as a number (SpinValueOf).
    int Value() const;
    // Shows v pulled into the range.
    void SetValue(int v);
    int Increment = 1;
    // OnChange (of TEdit) runs only when the shown text really changes: by typing, the arrows,
    // SetValue or the correction when the field is left.

    bool HandleCommand(WORD code) override;

protected:
    bool SubclassMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    void Step(int direction);
    void PullIntoRange();
    int min_ = 0, max_ = 100;
    std::string shown_;
};

class TButtonEdit : public TEditWithButton {
public:
    // Read-only: the field shows a path that the button acts on.
    TButtonEdit(TWinControl* parent, std::string name, int left, int top, int width, int height = 21);
    TNotifyEvent OnButtonClick;
    // Presses the button as the user would.
    void ButtonClick();

protected:
    bool SubclassMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
};

// The common controls' hot-key field. Key is the virtual-key code, Modifiers the field's own
// flags (HOTKEYF_SHIFT 1, HOTKEYF_CONTROL 2, HOTKEYF_ALT 4, HOTKEYF_EXT 8) as it reports them.
class THotKeyEdit : public TControl {
public:
    THotKeyEdit(TWinControl* parent, std::string name, int left, int top, int width, int height = 21);
    BYTE Key() const;
    BYTE Modifiers() const;
    // Setting from code does not run OnChange.
    void SetHotKey(BYTE key, BYTE modifiers);
    TNotifyEvent OnChange;  // the user typed another combination
    bool HandleCommand(WORD code) override;
};

// Read-only text of several lines with a vertical scroll bar and no border; Tab passes it by.
class TMemo : public TEdit {
public:
    TMemo(TWinControl* parent, std::string name, int left, int top, int width, int height);
    // Lines may end with "\n" or "\r\n" (SetText comes here too).
    void SetCaption(const std::string& text) override;
    int LineCount() const;

protected:
    bool SubclassMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
};

}  // namespace qv::ui
