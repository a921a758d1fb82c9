// A top-level window built from our container class: border style, position rule, show,
// modal show with a modal result, and the close protocol (close query, then close).
#pragma once
#include "common/ui/Control.h"

namespace qv::ui {

class TButton;

enum class TBorderStyle {
    None,       // no border, no caption bar
    Single,     // fixed single border with caption
    Dialog,     // fixed dialog frame with caption
    Sizeable,
    ToolWindow,
};

enum class TPosition { Designed, ScreenCenter, MainFormCenter };

// Modal results (the dialog ids of the system's buttons).
enum TModalResult : int { mrNone = 0, mrOk = IDOK, mrCancel = IDCANCEL, mrYes = IDYES, mrNo = IDNO };

struct TFormOptions {
    TBorderStyle Border = TBorderStyle::Dialog;
    int ClientWidth = 300;
    int ClientHeight = 200;
    std::string Caption;
    COLORREF Color = clBtnFace;
    TPosition Position = TPosition::Designed;
    bool CloseBox = true;      // the system menu's close box in the caption
    bool MinimizeBox = false;
    bool TaskbarButton = false;  // true for the main form
};

class TForm : public TWinControl {
public:
    TForm(std::string name, const TFormOptions& options);
    ~TForm() override;

    void Show();
    void Hide();
    // Shows the form modally over the program's other windows; returns the modal result.
    int ShowModal();
    bool Modal() const { return modal_; }
    // Runs the close query; when allowed, OnClose runs, the main form ends the program, others hide.
    void Close();
    void SetModalResult(int r);
    int ModalResult() const { return modalResult_; }

    // Setting the rule applies it at once when the form is visible, else at the next Show.
    void SetPosition(TPosition p);
    TPosition Position() const { return position_; }
    int ClientWidth() const { return clientWidth_; }
    int ClientHeight() const { return clientHeight_; }

    std::function<void(TForm* sender, bool& canClose)> OnCloseQuery;
    std::function<void(TForm* sender)> OnClose;
    std::function<void(TForm* sender)> OnShow;
    // Windows is ending the session: the main form runs its close-down here.
    std::function<void(TForm* sender)> OnEndSession;
    // Every system command reaches the form here first; return true to swallow it.
    std::function<bool(TForm* sender, WPARAM cmd)> OnSysCommand;

    // The button Enter presses and the one Esc presses (nullptr: none).
    TButton* DefaultButton = nullptr;
    TButton* CancelButton = nullptr;
    // KeyPreview: the form's OnKeyDown sees keys before the focused control.
    bool KeyPreview = false;

    bool WantsDialogKeys() const { return true; }
    bool PreviewKey(MSG& msg);

protected:
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    void ApplyPosition();
    TPosition position_;
    bool positionPending_ = true;
    int clientWidth_, clientHeight_;
    bool modal_ = false;
    int modalResult_ = mrNone;
};

}  // namespace qv::ui
