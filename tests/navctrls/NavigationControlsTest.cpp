// The four controls the main window is built from, driven as the user drives them.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include "common/ui/Application.h"
#include "common/ui/Form.h"
#include "common/ui/GroupBar.h"
#include "common/ui/PageList.h"
#include "common/ui/ProgressBar.h"
#include "common/ui/TrackBar.h"

using namespace qv::ui;

namespace {
class Controls : public ::testing::Test {
protected:
    static void SetUpTestSuite() { Application().Initialize(); }
    void SetUp() override {
        TFormOptions o;
        o.ClientWidth = 400;
        o.ClientHeight = 300;
        o.Color = clWhite;
        form = std::make_unique<TForm>("Host", o);
        form->Show();
    }
    static LPARAM At(const RECT& r) { return MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2); }
    std::unique_ptr<TForm> form;
};
}  // namespace

TEST_F(Controls, PartsBarCountsAndRoundsHalvesToEven) {
    auto* bar = form->Add<TProgressBar>("Bar", 10, 10, 200, 20);
    struct Case {
        int total, complete, expectComplete, expectPercent;
    } cases[] = {
        {1024, 512, 512, 50}, {3, 1, 1, 33},  {8, 1, 1, 12},   // 12.5 rounds to 12
        {8, 3, 3, 38},        {10, 11, 10, 100},                 // 37.5 to 38; never above the total
        {10, -4, 0, 0},       {0, 5, 0, 0},   {-3, 1, 0, 0},    // nothing to measure against
    };
    for (const Case& c : cases) {
        bar->SetTotalParts(c.total);
        bar->SetPartsComplete(c.complete);
        EXPECT_EQ(c.expectComplete, bar->PartsComplete()) << c.total << "/" << c.complete;
        EXPECT_EQ(c.expectPercent, bar->Percent()) << c.total << "/" << c.complete;
    }
    bar->SetTotalParts(4);
    for (int i = 0; i < 6; ++i) bar->IncPartsByOne();
    EXPECT_EQ(4, bar->PartsComplete());
    bar->SetTotalParts(4);
    EXPECT_EQ(0, bar->PartsComplete()) << "a new total starts the count again";
}

TEST_F(Controls, PartsBarFillsAlongItsOrientation) {
    auto* across = form->Add<TProgressBar>("Across", 10, 10, 200, 20);
    auto* upright = form->Add<TProgressBar>("Upright", 250, 10, 20, 200, TBarOrientation::Vertical);
    for (TProgressBar* b : {across, upright}) {
        b->SetTotalParts(2);
        b->SetPartsComplete(1);
        UpdateWindow(b->Handle());
    }
    auto pixel = [](TProgressBar* b, int x, int y) {
        HDC dc = GetDC(b->Handle());
        COLORREF c = GetPixel(dc, x, y);
        ReleaseDC(b->Handle(), dc);
        return c;
    };
    EXPECT_EQ(across->BarColor, pixel(across, 20, 10));
    EXPECT_EQ(clWhite, pixel(across, 180, 10));
    EXPECT_EQ(upright->BarColor, pixel(upright, 10, 180)) << "vertical bars fill from the bottom";
    EXPECT_EQ(clWhite, pixel(upright, 10, 20));
}

TEST_F(Controls, TrackBarReportsEveryPositionChange) {
    auto* track = form->Add<TTrackBar>("Track", 10, 10, 300);
    int changes = 0, seen = -1;
    track->OnChange = [&](TControl*) {
        ++changes;
        seen = track->Position();
    };
    track->SetMax(100);
    EXPECT_EQ(0, changes) << "the position did not move";
    track->SetPosition(40);
    EXPECT_EQ(1, changes);
    track->SetPosition(40);
    EXPECT_EQ(2, changes) << "set from code, even unchanged, the change handler runs";
    track->SetPosition(500);
    EXPECT_EQ(100, track->Position());
    track->SetMax(60);
    EXPECT_EQ(60, track->Position()) << "a smaller range pulls the position in";
    EXPECT_EQ(60, seen);

    // The user moves it with the keyboard: the control tells its parent, which tells us.
    changes = 0;
    SendMessageA(track->Handle(), WM_KEYDOWN, VK_LEFT, 0);
    EXPECT_EQ(59, track->Position());
    EXPECT_EQ(1, changes);
    EXPECT_EQ(59, SendMessageA(track->Handle(), TBM_GETPOS, 0, 0));
}

TEST_F(Controls, PageListShowsOnePageAndReportsChanges) {
    auto* pages = form->Add<TPageList>("Pages", 0, 0, 300, 200);
    TPanel* p[3] = {pages->AddPage("A"), pages->AddPage("B"), pages->AddPage("C")};
    int changes = 0;
    pages->OnChange = [&](TControl*) { ++changes; };
    EXPECT_EQ(0, pages->ActivePageIndex());
    EXPECT_TRUE(p[0]->Visible());
    EXPECT_FALSE(p[1]->Visible());

    pages->SetActivePageIndex(2);
    EXPECT_EQ(1, changes);
    EXPECT_EQ(p[2], pages->ActivePage());
    EXPECT_TRUE(p[2]->Visible());
    EXPECT_FALSE(p[0]->Visible());
    for (int outside : {-1, 3, 99, 2}) pages->SetActivePageIndex(outside);
    EXPECT_EQ(1, changes) << "outside the pages or the same page: nothing changes";
    EXPECT_EQ(2, pages->ActivePageIndex());
}

TEST_F(Controls, GroupBarOpensOneGroupAtATimeAndClicksItems) {
    auto* bar = form->Add<TGroupBar>("Bar", 0, 0, 180, 300);
    TGroupBarGroup* a = bar->AddGroup("A", "Options");
    TGroupBarGroup* b = bar->AddGroup("B", "Help");
    std::vector<std::string> clicked;
    for (const char* n : {"One", "Two", "Three"}) a->AddItem(n, n, [&](TGroupBarItem* i) { clicked.push_back(i->Name); });
    b->AddItem("About", "About", [&](TGroupBarItem* i) { clicked.push_back(i->Name); });
    bar->SetOpenGroup(0);

    SendMessageA(bar->Handle(), WM_LBUTTONUP, 0, At(bar->ItemRect(0, 1)));
    EXPECT_EQ(std::vector<std::string>{"Two"}, clicked);
    RECT closed = bar->ItemRect(1, 0);
    EXPECT_TRUE(IsRectEmpty(&closed)) << "a closed group shows no items";

    SendMessageA(bar->Handle(), WM_LBUTTONUP, 0, At(bar->HeaderRect(1)));
    EXPECT_EQ(1, bar->OpenGroupIndex()) << "opening one closes the other";
    RECT gone = bar->ItemRect(0, 0);
    EXPECT_TRUE(IsRectEmpty(&gone));
    SendMessageA(bar->Handle(), WM_LBUTTONUP, 0, At(bar->ItemRect(1, 0)));
    EXPECT_EQ("About", clicked.back());

    SendMessageA(bar->Handle(), WM_LBUTTONUP, 0, At(bar->HeaderRect(1)));
    EXPECT_EQ(-1, bar->OpenGroupIndex()) << "the open group's header closes it";
    size_t before = clicked.size();
    SendMessageA(bar->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(90, 290));  // below everything
    EXPECT_EQ(before, clicked.size());
    EXPECT_EQ(-1, bar->OpenGroupIndex());
}
