#include <windows.h>

#include "UiTestSupport.h"
#include "common/core/Handles.h"
#include "common/ui/Clipboard.h"
#include "common/ui/Menu.h"
#include "common/ui/Scope.h"
#include "common/ui/StdCtrls.h"

using namespace qv::ui;
using qv::test::HostForm;
using qv::test::PixelOf;

namespace {

// 101 rows: a level of p percent falls on row 100 - p.
constexpr int kW = 120, kH = 101;

class ScopeTest : public qv::test::UiTest {
protected:
    void SetUp() override {
        form = std::make_unique<HostForm>(300, 200);
        form->Add<TPanel>("Beside", false)->SetColor(clWhite);  // something else on the screen next to it
        form->FindControl("Beside")->SetBounds(0, 0, 300, 200);
        scope = form->Add<TScope>("JvSimScope1", 40, 30, kW, kH);
        scope->GridSize = 0;  // a clean background for the pixel checks below (the grid has its own test)
        scope->SetBaseLine(75);
    }
    qv::GdiObject Shot() {
        scope->Repaint();
        return qv::GdiObject(scope->CopyToBitmap());
    }
    std::unique_ptr<HostForm> form;
    TScope* scope = nullptr;
};

HBITMAP AsBitmap(const qv::GdiObject& o) { return static_cast<HBITMAP>(o.get()); }

}  // namespace

TEST_F(ScopeTest, MovesTwoPixelsLeftPerStepAndExtendsTheLineToItsLevel) {
    EXPECT_EQ(25, scope->RowOf(75));
    EXPECT_EQ(100, scope->RowOf(0));
    EXPECT_EQ(0, scope->RowOf(130)) << "levels beyond the chart are drawn at its edge";
    scope->SetPosition(40);
    scope->Step();
    scope->SetPosition(80);
    scope->Step();
    qv::GdiObject shot = Shot();
    BITMAP bm{};
    GetObjectA(shot.get(), sizeof bm, &bm);
    EXPECT_EQ(kW, bm.bmWidth);
    EXPECT_EQ(kH, bm.bmHeight);
    COLORREF line = scope->LineColor;
    EXPECT_EQ(line, PixelOf(AsBitmap(shot), kW - 1, 20)) << "newest level at the right edge";
    EXPECT_EQ(line, PixelOf(AsBitmap(shot), kW - 3, 60)) << "the one before, 2 pixels to the left";
    EXPECT_EQ(line, PixelOf(AsBitmap(shot), kW - 2, 40)) << "joined by a line";
    EXPECT_EQ(line, PixelOf(AsBitmap(shot), kW - 4, 60)) << "the first move draws 2 pixels at its level";
    EXPECT_EQ(scope->BackColor, PixelOf(AsBitmap(shot), kW - 5, 60));
    EXPECT_EQ(scope->BackColor, PixelOf(AsBitmap(shot), kW - 8, 60));
    for (int x : {0, 50, kW - 10}) {
        EXPECT_EQ(clRed, PixelOf(AsBitmap(shot), x, 25)) << x;
        EXPECT_EQ(scope->BackColor, PixelOf(AsBitmap(shot), x, 24)) << x;
        EXPECT_EQ(scope->BackColor, PixelOf(AsBitmap(shot), x, 26)) << x;
    }

    scope->SetPosition(0);
    scope->Step();
    qv::GdiObject next = Shot();
    EXPECT_EQ(line, PixelOf(AsBitmap(next), kW - 3, 20));
    EXPECT_EQ(line, PixelOf(AsBitmap(next), kW - 5, 60));
    EXPECT_EQ(line, PixelOf(AsBitmap(next), kW - 6, 60));
    EXPECT_EQ(line, PixelOf(AsBitmap(next), kW - 1, 100));
    EXPECT_EQ(scope->BackColor, PixelOf(AsBitmap(next), kW - 1, 20));
}

TEST_F(ScopeTest, GridMovesWithThePicture) {
    scope->GridSize = 16;
    qv::GdiObject before = Shot();
    EXPECT_EQ(scope->GridColor, PixelOf(AsBitmap(before), kW - 1, 50));
    EXPECT_EQ(scope->GridColor, PixelOf(AsBitmap(before), kW - 17, 50));
    EXPECT_EQ(scope->GridColor, PixelOf(AsBitmap(before), 50, kH - 1)) << "horizontal lines from the bottom";
    EXPECT_EQ(scope->GridColor, PixelOf(AsBitmap(before), 50, kH - 17));
    scope->Step();
    qv::GdiObject after = Shot();
    EXPECT_EQ(scope->GridColor, PixelOf(AsBitmap(after), kW - 3, 50));
    EXPECT_EQ(scope->BackColor, PixelOf(AsBitmap(after), kW - 1, 50));
}

TEST_F(ScopeTest, ItsTimerMovesThePictureOnlyWhileActive) {
    scope->SetInterval(1);  // 10 ms
    scope->SetActive(true);
    EXPECT_TRUE(PumpUntil([&] { return scope->Steps() >= 3; }));
    scope->SetActive(false);
    int steps = scope->Steps();
    Sleep(50);
    Application().ProcessMessages();
    EXPECT_EQ(steps, scope->Steps());
}

TEST_F(ScopeTest, PaintsWithoutErasingFirst) {
    // A background erase before each paint is what makes a chart flicker.
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    HBITMAP bmp = CreateCompatibleBitmap(screen, 4, 4);
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(mem, bmp);
    SetPixel(mem, 1, 1, RGB(1, 2, 3));
    EXPECT_NE(0, SendMessageA(scope->Handle(), WM_ERASEBKGND, reinterpret_cast<WPARAM>(mem), 0));
    EXPECT_EQ(RGB(1, 2, 3), GetPixel(mem, 1, 1));
    SelectObject(mem, old);
    DeleteObject(bmp);
    DeleteDC(mem);
}

TEST_F(ScopeTest, CopyGoesToTheClipboardAsItsOwnBitmap) {
    scope->SetPosition(50);
    scope->Step();
    scope->Repaint();
    HBITMAP shot = scope->CopyToBitmap();
    ASSERT_TRUE(SetClipboardBitmap(form->Handle(), shot));
    DeleteObject(shot);  // the clipboard holds a copy of its own
    ASSERT_TRUE(OpenClipboard(form->Handle()));
    auto onClipboard = static_cast<HBITMAP>(GetClipboardData(CF_BITMAP));
    ASSERT_NE(nullptr, onClipboard);
    BITMAP bm{};
    GetObjectA(onClipboard, sizeof bm, &bm);
    EXPECT_EQ(kW, bm.bmWidth);
    EXPECT_EQ(kH, bm.bmHeight);
    EXPECT_EQ(clRed, PixelOf(onClipboard, 10, 25));
    EXPECT_EQ(scope->LineColor, PixelOf(onClipboard, kW - 1, 50));
    CloseClipboard();
    EXPECT_FALSE(SetClipboardBitmap(form->Handle(), nullptr));
}

TEST_F(ScopeTest, RightButtonReleaseOpensItsMenu) {
    TPopupMenu menu("PopupMenu5");
    int copies = 0;
    menu.Add("Copy1", "&Copy to Clipboard", [&](TMenuItem*) { ++copies; });
    scope->PopupMenu = &menu;
    qv::test::WhenMenuOpens(nullptr, {VK_DOWN, VK_RETURN});
    SendMessageA(scope->Handle(), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(10, 10));
    SendMessageA(scope->Handle(), WM_RBUTTONUP, 0, MAKELPARAM(10, 10));
    EXPECT_TRUE(PumpUntil([&] { return copies == 1; }));
}
