// The program object: one per process, on the UI thread. Runs the message loop (with dialog
// keys for the active form: Tab, Enter, Esc), pumps messages on request, and keeps the main form.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

namespace qv::ui {

class TForm;

enum class TCursor { Default, HourGlass };

class TApplication {
public:
    // Registers the common controls and remembers the instance; call once at program start.
    void Initialize(HINSTANCE instance = nullptr);
    HINSTANCE InstanceHandle() const { return instance_ ? instance_ : GetModuleHandleA(nullptr); }

    void SetTitle(const std::string& t) { title_ = t; }
    const std::string& Title() const { return title_; }

    void SetMainForm(TForm* f) { mainForm_ = f; }
    TForm* MainForm() const { return mainForm_; }
    // When false, Run does not show the main form (the program starts in the tray).
    bool ShowMainForm = true;

    // Shows the main form (unless told not to) and dispatches messages until Terminate.
    void Run();
    // Dispatches every message waiting now, then returns.
    void ProcessMessages();
    // Ends Run after the current message; the main form's close-down has run before.
    void Terminate();
    bool Terminated() const { return terminated_; }

    // Minimizes the main form; OnMinimize lets a tray icon hide it instead.
    void Minimize();
    // Brings a minimized or hidden main form back to normal and to the foreground.
    void Restore();
    std::function<void()> OnMinimize;
    std::function<void()> OnRestore;

    // The form whose dialog keys the loop handles (the active one).
    void SetActiveForm(TForm* f) { active_ = f; }
    TForm* ActiveForm() const { return active_; }
    void FormDestroyed(TForm* f);

    // One message through the loop's filters (dialog keys), for modal loops.
    void DispatchOne(MSG& msg);

private:
    HINSTANCE instance_ = nullptr;
    std::string title_;
    TForm* mainForm_ = nullptr;
    TForm* active_ = nullptr;
    bool terminated_ = false;
};

TApplication& Application();

// The screen cursor: HourGlass shows the wait cursor over every window of the program until
// set back to Default.
void SetScreenCursor(TCursor c);
TCursor ScreenCursor();
// True when a screen cursor is in force (our windows then keep it in WM_SETCURSOR).
bool ScreenCursorOverride();

}  // namespace qv::ui
