// The standard controls: labels (also transparent click spots and links), buttons, check
// boxes, edit fields, combo boxes and group boxes.
#pragma once
#include "common/ui/Control.h"

namespace qv::ui {

enum class TAlignment { Left, Right, Center };

class TLabel : public TControl {
public:
    TLabel(TWinControl* parent, std::string name, const std::string& caption, int left, int top, int width = 0,
           int height = 0);
    // The text goes to the window with its next paint (or when someone asks the window for it):
    // a label that follows a copy block by block must cost next to nothing per change, and each
    // change of a window's text is a round trip through the system.
    void SetCaption(const std::string& text) override;
    std::string Caption() const override { return caption_; }
    // Transparent: only the text is drawn, over whatever the parent paints.
    void SetTransparent(bool t);
    void SetAlignment(TAlignment a);
    void SetWordWrap(bool w);
    // A link: hand cursor, and the font colour switches to HoverColor under the mouse.
    void SetLink(COLORREF hoverColor);
    HBRUSH HandleCtlColor(HDC dc) override;
    bool HandleCommand(WORD code) override;

protected:
    bool SubclassMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
    void FontChanged() override { FitToText(); }

private:
    void Restyle();
    void FitToText();
    void FlushText();
    void MarkForPaint();
    std::string caption_;
    bool textPending_ = false;   // caption_ has not reached the window yet
    bool paintPending_ = false;  // invalidated since the last WM_PAINT
    bool transparent_ = false;
    bool autoSize_;
    bool wordWrap_ = false;
    TAlignment align_ = TAlignment::Left;
    bool link_ = false;
    bool hover_ = false;
    COLORREF hoverColor_ = clRed;
};

class TButton : public TControl {
public:
    TButton(TWinControl* parent, std::string name, const std::string& caption, int left, int top, int width = 75,
            int height = 25);
    // The modal result the button gives its form when clicked (mrNone: none).
    int ModalResult = 0;
    // Clicks it as the user would: OnClick, then the modal result.
    void Click();
    bool HandleCommand(WORD code) override;
    void SetDefault(bool d);
};

class TCheckBox : public TControl {
public:
    TCheckBox(TWinControl* parent, std::string name, const std::string& caption, int left, int top, int width,
              int height = 17);
    bool Checked() const;
    // Setting the state from code runs OnClick as a click would, when the state changes.
    void SetChecked(bool c);
    bool HandleCommand(WORD code) override;

private:
    bool checked_ = false;
};

class TEdit : public TControl {
public:
    TEdit(TWinControl* parent, std::string name, int left, int top, int width, int height = 21, bool border = true);
    std::string Text() const { return Caption(); }
    void SetText(const std::string& t);
    void SetReadOnly(bool r);
    bool ReadOnly() const;
    void SetMultiLine(bool scrollBar);
    TNotifyEvent OnChange;  // the text changed (by the user or by code)
    TNotifyEvent OnExit;    // focus left the field
    bool HandleCommand(WORD code) override;

protected:
    // For fields of other kinds (spin edits, memos): the edit's styles and extended styles.
    TEdit(TWinControl* parent, std::string name, int left, int top, int width, int height, DWORD style,
          DWORD exStyle);
};

class TComboBox : public TControl {
public:
    // A drop-down list (the user picks, never types).
    TComboBox(TWinControl* parent, std::string name, int left, int top, int width, int dropHeight = 200);
    void AddItem(const std::string& text);
    void Clear();
    int Count() const;
    std::string Item(int i) const;
    int ItemIndex() const;
    // Setting the index from code does not run OnChange.
    void SetItemIndex(int i);
    TNotifyEvent OnChange;  // the user picked another item
    bool HandleCommand(WORD code) override;
};

class TGroupBox : public TWinControl {
public:
    TGroupBox(TWinControl* parent, std::string name, const std::string& caption, int left, int top, int width,
              int height);
    void SetCaption(const std::string& text) override;

protected:
    void Paint(HDC dc, const RECT& client) override;

private:
    std::string caption_;
};

}  // namespace qv::ui
