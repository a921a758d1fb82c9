// The window layer both programs build on: controls are C++ objects that own their window;
// containers (forms, panels, group boxes, pages) are windows of our own class that route the
// notifications of their children back to the child objects. Every handler runs guarded: an
// exception that escapes it goes to ReportUnhandled, never through the system's code.
#pragma once
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace qv::ui {

class TWinControl;
class TPopupMenu;

// Colours are COLORREFs; these stand for system colours resolved when painting.
constexpr COLORREF clBtnFace = 0x80000000u | COLOR_BTNFACE;
constexpr COLORREF clWindow = 0x80000000u | COLOR_WINDOW;
constexpr COLORREF clInfoBk = 0x80000000u | COLOR_INFOBK;  // the tool-tip colour
constexpr COLORREF clWindowText = 0x80000000u | COLOR_WINDOWTEXT;
constexpr COLORREF clNone = 0xFFFFFFFFu;  // transparent / not set
constexpr COLORREF clWhite = RGB(255, 255, 255);
constexpr COLORREF clBlack = RGB(0, 0, 0);
constexpr COLORREF clRed = RGB(255, 0, 0);
constexpr COLORREF clGreen = RGB(0, 128, 0);
constexpr COLORREF clBlue = RGB(0, 0, 255);
constexpr COLORREF clNavy = RGB(0, 0, 128);
constexpr COLORREF clSilver = RGB(192, 192, 192);
COLORREF ColorToRGB(COLORREF c);
// A solid brush for a colour, cached for the life of the program (never delete it).
HBRUSH SolidBrushFor(COLORREF c);

struct TFont {
    std::string Name = "Tahoma";
    int Size = 8;  // points
    bool Bold = false;
    bool Underline = false;
    COLORREF Color = clWindowText;
    bool operator==(const TFont& o) const {
        return Name == o.Name && Size == o.Size && Bold == o.Bold && Underline == o.Underline;
    }
};
// The font handle for a description, cached for the life of the program (never delete it).
HFONT FontHandle(const TFont& f);
// The text of line i of a list or combo box, through the class's pair of messages for length
// and text (LB_GETTEXTLEN/LB_GETTEXT, CB_GETLBTEXTLEN/CB_GETLBTEXT); empty when there is no line i.
std::string LineText(HWND h, UINT lengthMsg, UINT textMsg, int i);

enum class TMouseButton { Left, Right, Middle };
using TNotifyEvent = std::function<void(class TControl* sender)>;
using TMouseEvent = std::function<void(TControl* sender, TMouseButton button, int x, int y)>;
using TKeyEvent = std::function<void(TControl* sender, WORD& key)>;  // set key to 0 to swallow it

class TControl {
public:
    virtual ~TControl();
    TControl(const TControl&) = delete;
    TControl& operator=(const TControl&) = delete;

    const std::string& Name() const { return name_; }
    HWND Handle() const { return hwnd_; }
    TWinControl* Parent() const { return parent_; }
    // The top-level window (form) this control lives on.
    HWND TopLevel() const;

    void SetBounds(int left, int top, int width, int height);
    int Left() const { return left_; }
    int Top() const { return top_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    // Position relative to the top-level window's client area.
    POINT ClientOrigin() const;

    virtual void SetVisible(bool v);
    bool Visible() const;
    virtual void SetEnabled(bool v);
    bool Enabled() const;
    virtual void SetCaption(const std::string& text);
    virtual std::string Caption() const;
    void SetFont(const TFont& f);
    const TFont& Font() const { return font_; }
    // Background colour (clNone: the parent's); text colour comes from the font.
    void SetColor(COLORREF c);
    COLORREF Color() const { return color_; }
    // The colour behind the control: its own, else the nearest container's that has one.
    COLORREF BackgroundColor() const;
    void SetFocus();
    void Invalidate();
    void Repaint();

    TNotifyEvent OnClick;
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;
    TKeyEvent OnKeyDown;
    TPopupMenu* PopupMenu = nullptr;  // shown on the context-menu request (right button up)
    void* Tag = nullptr;              // free for the owner

    // Notifications routed by the parent; return true when handled.
    virtual bool HandleCommand(WORD code);
    virtual bool HandleNotify(NMHDR* nm, LRESULT& result);
    virtual bool HandleScroll(WORD code);
    virtual bool HandleDrawItem(DRAWITEMSTRUCT* dis);
    // Brush for WM_CTLCOLOR*; nullptr: the system's default.
    virtual HBRUSH HandleCtlColor(HDC dc);

    static TControl* FromHandle(HWND h);

protected:
    TControl(TWinControl* parent, std::string name);
    // Creates the window of a system class (BUTTON, EDIT, ...) as a child of the parent.
    void InitBounds(int left, int top, int width, int height) {
        left_ = left, top_ = top, width_ = width, height_ = height;
    }
    // Runs after the font changed (a label sizes itself to its text again).
    virtual void FontChanged() {}
    void CreateSystemWindow(const char* className, DWORD style, DWORD exStyle = 0);
    // For windows of our own classes: attaches an already created window to this object.
    void Attach(HWND h);
    // Subclassed messages of system-class controls; return true when handled.
    virtual bool SubclassMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);
    // The system class's own handling of a message, for a SubclassMessage that acts after it.
    LRESULT DefaultHandler(UINT msg, WPARAM wp, LPARAM lp);
    // A further window of this control (the arrows of a spin edit, the tabs of a tab control):
    // its notifications then reach this object as the main window's do. Detach before it goes.
    void AttachExtraWindow(HWND h);
    static void DetachExtraWindow(HWND h);
    void FireClick();

    HWND hwnd_ = nullptr;
    TWinControl* parent_;
    std::string name_;
    TFont font_;
    COLORREF color_ = clNone;
    int left_ = 0, top_ = 0, width_ = 0, height_ = 0;

private:
    static LRESULT CALLBACK SubclassProc(HWND h, UINT msg, WPARAM wp, LPARAM lp);
    WNDPROC oldProc_ = nullptr;
    friend class TWinControl;
};

// A control that holds other controls: our own window class, which routes the children's
// notifications back to them and paints its own background (and, in subclasses, more).
class TWinControl : public TControl {
public:
    ~TWinControl() override;
    // The child controls, owned: created with Add<T>(...), destroyed with the container.
    template <class T, class... Args>
    T* Add(Args&&... args) {
        auto p = std::unique_ptr<T>(new T(this, std::forward<Args>(args)...));
        T* raw = p.get();
        children_.push_back(std::move(p));
        return raw;
    }
    // Finds a control by component name anywhere below this container; nullptr when none.
    TControl* FindControl(const std::string& name) const;
    const std::vector<std::unique_ptr<TControl>>& Children() const { return children_; }

    std::function<void(TWinControl* sender, HDC dc, const RECT& client)> OnPaint;

protected:
    TWinControl(TWinControl* parent, std::string name);
    // Creates the window of our container class; parent nullptr makes a top-level window.
    void CreateContainer(DWORD style, DWORD exStyle, HWND owner = nullptr, const char* caption = "");
    virtual LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp);
    virtual void Paint(HDC dc, const RECT& client);
    LRESULT DefaultProc(UINT msg, WPARAM wp, LPARAM lp);

private:
    static LRESULT CALLBACK ContainerProc(HWND h, UINT msg, WPARAM wp, LPARAM lp);
    bool RouteToChild(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);
    std::vector<std::unique_ptr<TControl>> children_;
};

// A plain container with an optional single-line frame (the stand-in for panels and pages).
class TPanel : public TWinControl {
public:
    TPanel(TWinControl* parent, std::string name, bool frame = false);
};

}  // namespace qv::ui
