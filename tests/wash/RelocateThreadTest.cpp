// The wash thread with real windows: a plain main window and the progress window, on the
// UI thread of this test, with the worker handing every window change over.
#include "quorvane/memory/RelThrd.h"

#include <gtest/gtest.h>

#include "common/thread/Thread.h"
#include "common/ui/Application.h"
#include "quorvane/memory/ProgressBarFrm.h"

using namespace qv;

namespace {
class RelocateThread : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ui::Application().Initialize();
        InitMainThread();
    }
    void SetUp() override {
        ui::TFormOptions o;
        o.ClientWidth = 300;
        o.ClientHeight = 200;
        o.TaskbarButton = true;
        main = std::make_unique<ui::TForm>("Main", o);
        ui::Application().SetMainForm(main.get());
        progress = std::make_unique<TProgressFrm>();
        progress->OnShow = [this](ui::TForm*) { ++shows; };
        main->Show();
    }
    void TearDown() override {
        progress.reset();
        main.reset();
    }
    // Starts a wash as the program does; `ended` is set by its end notification.
    void StartWash(int32_t n) {
        auto* t = new TRelocateThread(main.get(), progress.get(), n);
        t->FreeOnTerminate = true;
        t->OnTerminate = [this](TThread*) { ++ended; };
        t->Start();
    }
    template <class Cond>
    static bool PumpUntil(Cond cond, DWORD ms = 60000) {
        for (DWORD start = GetTickCount(); !cond();) {
            if (GetTickCount() - start > ms) return false;
            ui::Application().ProcessMessages();
            Sleep(1);
        }
        return true;
    }
    bool ProgressShownByWash() const { return progress->Visible() && !progress->ClosingByProgram; }

    std::unique_ptr<ui::TForm> main;
    std::unique_ptr<TProgressFrm> progress;
    int shows = 0, ended = 0;
};
}  // namespace

TEST_F(RelocateThread, VisibleWashShowsItsProgressAndPutsEverythingBack) {
    WashLock.Enter();  // hold the wash at the lock to look at it
    StartWash(40);
    ASSERT_TRUE(PumpUntil([&] { return ProgressShownByWash(); }));
    EXPECT_FALSE(main->Enabled()) << "the main window waits for the wash";
    EXPECT_EQ(0, progress->RzProgressBar1->PartsComplete());
    WashLock.Leave();
    ASSERT_TRUE(PumpUntil([&] { return ended == 1; }));
    EXPECT_FALSE(progress->Visible());
    EXPECT_TRUE(progress->ClosingByProgram);
    EXPECT_TRUE(main->Enabled());
    EXPECT_EQ(80, progress->RzProgressBar1->TotalParts()) << "one part per block claimed and released";
    EXPECT_EQ(80, progress->RzProgressBar1->PartsComplete());
    EXPECT_EQ(1, shows);
}

TEST_F(RelocateThread, UserClosingTheWindowStopsAfterAtLeastOneBlock) {
    enum class How { CancelButton, EscKey, CloseBox };
    for (How how : {How::CancelButton, How::EscKey, How::CloseBox}) {
        ended = 0;
        WashLock.Enter();
        StartWash(100);
        ASSERT_TRUE(PumpUntil([&] { return ProgressShownByWash(); }));
        if (how == How::CancelButton) {
            SendMessageA(progress->Button1->Handle(), BM_CLICK, 0, 0);
        } else if (how == How::EscKey) {
            ui::Application().SetActiveForm(progress.get());
            MSG m{progress->Button1->Handle(), WM_KEYDOWN, VK_ESCAPE, 0, 0, {0, 0}};
            ui::Application().DispatchOne(m);
        } else {
            SendMessageA(progress->Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
        }
        EXPECT_FALSE(progress->Visible()) << "the window goes at once";
        EXPECT_FALSE(main->Enabled()) << "until the claimed blocks are back";
        WashLock.Leave();
        ASSERT_TRUE(PumpUntil([&] { return ended == 1; }));
        EXPECT_FALSE(progress->Visible()) << "a cancelled wash does not show itself again";
        EXPECT_EQ(200, progress->RzProgressBar1->TotalParts());
        EXPECT_EQ(2, progress->RzProgressBar1->PartsComplete()) << "one block claimed, one released";
        EXPECT_TRUE(main->Enabled());
    }
}

TEST_F(RelocateThread, NothingToWashStillShowsClosesAndEnds) {
    StartWash(0);
    ASSERT_TRUE(PumpUntil([&] { return ended == 1; }));
    EXPECT_EQ(1, shows);
    EXPECT_FALSE(progress->Visible());
    EXPECT_TRUE(main->Enabled());
}

TEST_F(RelocateThread, WashFromTheTrayShowsNothingAndCannotBeCancelled) {
    main->Hide();
    progress->RzProgressBar1->SetTotalParts(7);
    WashLock.Enter();
    StartWash(30);
    // The worker has nothing to show; whatever it does, the window stays untouched.
    for (int i = 0; i < 50; ++i) {
        ui::Application().ProcessMessages();
        Sleep(1);
    }
    EXPECT_FALSE(progress->Visible());
    EXPECT_FALSE(progress->OnCancel) << "nothing to cancel it with";
    WashLock.Leave();
    ASSERT_TRUE(PumpUntil([&] { return ended == 1; }));
    EXPECT_EQ(0, shows);
    EXPECT_EQ(7, progress->RzProgressBar1->TotalParts());
    EXPECT_TRUE(main->Enabled());
}

TEST_F(RelocateThread, ASecondVisibleWashWaitsThenShowsItself) {
    WashLock.Enter();
    StartWash(20);
    ASSERT_TRUE(PumpUntil([&] { return ProgressShownByWash(); }));
    StartWash(10);
    WashLock.Leave();
    ASSERT_TRUE(PumpUntil([&] { return ended == 2; }));
    EXPECT_FALSE(progress->Visible());
    EXPECT_TRUE(main->Enabled());
    EXPECT_EQ(2, shows) << "the second wash shows the window again once it runs";
    // The last one to run decides what the bar holds.
    EXPECT_EQ(progress->RzProgressBar1->TotalParts(), progress->RzProgressBar1->PartsComplete());
}
