// Worker threads, calls handed to the UI thread, critical sections and cancellable waits, with
// real threads and real windows; this test's main thread is the UI thread.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <vector>

#include "common/core/OSError.h"
#include "common/core/Unhandled.h"
#include "common/thread/CriticalSection.h"
#include "common/thread/Thread.h"
#include "common/thread/Wait.h"
#include "tests/support/MessagePump.h"

using namespace qv;
using qv::test::PumpMessagesUntil;

namespace {

// A thread whose body is given by the test.
class TTestThread : public TThread {
public:
    explicit TTestThread(std::function<void(TTestThread&)> body, bool* destroyed = nullptr)
        : body_(std::move(body)), destroyed_(destroyed) {}
    ~TTestThread() override {
        if (destroyed_) *destroyed_ = true;
    }
    using TThread::Queue;
    using TThread::SetReturnValue;
    using TThread::Synchronize;

protected:
    void Execute() override { body_(*this); }

private:
    std::function<void(TTestThread&)> body_;
    bool* destroyed_;
};

class ThreadTest : public ::testing::Test {
protected:
    void SetUp() override {
        InitMainThread();
        uiThread = GetCurrentThreadId();
    }
    void TearDown() override {
        SetUnhandledHandler(nullptr);
        if (IsMainThread()) DoneMainThread();
    }
    DWORD uiThread = 0;
};

TEST_F(ThreadTest, SynchronizeRunsOnTheUiThreadAndTheWorkerWaitsForIt) {
    // The UI thread either sits in its message loop or waits for the worker with WaitFor:
    // both must run the call (a WaitFor that did not would dead-lock here).
    for (bool byWaitFor : {false, true}) {
        SCOPED_TRACE(byWaitFor ? "UI thread in WaitFor" : "UI thread in its message loop");
        DWORD ranOn = 0;
        int seenAfter = 0;
        TTestThread worker([&](TTestThread& t) {
            int value = 0;
            t.Synchronize([&] {
                ranOn = GetCurrentThreadId();
                value = 42;
            });
            seenAfter = value;
        });
        worker.Start();
        if (byWaitFor)
            worker.WaitFor();
        else
            ASSERT_TRUE(PumpMessagesUntil([&] { return worker.Finished(); }));
        EXPECT_EQ(ranOn, uiThread);
        EXPECT_EQ(seenAfter, 42) << "the worker went on before the call had run";
    }
}

// Opens a modal loop owned by `owner` and returns when it has been ended by `end`.
struct NestedLoop {
    const char* name;
    std::function<void(HWND owner)> run;
    std::function<bool(HWND owner)> end;  // false: the loop's window is not there yet
};

struct WindowSearch {
    const char* cls;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND h, LPARAM p) {
    auto* s = reinterpret_cast<WindowSearch*>(p);
    char cls[64] = "";
    GetClassNameA(h, cls, sizeof cls);
    if (lstrcmpA(cls, s->cls) == 0 && IsWindowVisible(h)) {
        s->found = h;
        return FALSE;
    }
    return TRUE;
}

// A visible window of the given class that belongs to this thread.
HWND FindThreadWindow(const char* className) {
    WindowSearch s{className, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), MatchWindow, reinterpret_cast<LPARAM>(&s));
    return s.found;
}

INT_PTR CALLBACK PlainDialogProc(HWND, UINT msg, WPARAM, LPARAM) { return msg == WM_INITDIALOG; }

void RunModalDialog(HWND owner) {
    // A dialog template in memory: style, no controls, 100 x 40 dialog units, no menu/class/title.
    alignas(4) WORD tmpl[32] = {};
    auto* dt = reinterpret_cast<DLGTEMPLATE*>(tmpl);
    dt->style = WS_POPUP | WS_CAPTION | WS_VISIBLE | DS_MODALFRAME;
    dt->cx = 100;
    dt->cy = 40;
    DialogBoxIndirectParamA(GetModuleHandleA(nullptr), dt, owner, PlainDialogProc, 0);
}

TEST_F(ThreadTest, SynchronizeRunsWhileTheUiThreadIsInsideAModalLoop) {
    static bool plainLoopDone;
    const NestedLoop loops[] = {
        {"MessageBox", [](HWND owner) { MessageBoxA(owner, "waiting", "nested", MB_OK); },
         [](HWND) {
             HWND box = FindThreadWindow("#32770");
             if (box) PostMessageA(box, WM_COMMAND, IDOK, 0);
             return box != nullptr;
         }},
        {"TrackPopupMenu",
         [](HWND owner) {
             HMENU menu = CreatePopupMenu();
             AppendMenuA(menu, MF_STRING, 1, "item");
             SetForegroundWindow(owner);
             TrackPopupMenu(menu, TPM_RETURNCMD, 50, 50, 0, owner, nullptr);
             DestroyMenu(menu);
         },
         [](HWND) {
             if (!FindThreadWindow("#32768")) return false;
             EndMenu();
             return true;
         }},
        {"modal dialog", RunModalDialog,
         [](HWND) {
             HWND dlg = FindThreadWindow("#32770");
             if (dlg) EndDialog(dlg, 1);
             return dlg != nullptr;
         }},
        {"hand-written loop",
         [](HWND) {
             plainLoopDone = false;
             MSG msg;
             while (!plainLoopDone && GetMessageA(&msg, nullptr, 0, 0)) DispatchMessageA(&msg);
         },
         [](HWND) {
             plainLoopDone = true;
             return true;
         }},
    };
    HWND owner = CreateWindowExA(0, "STATIC", "owner", WS_POPUP | WS_VISIBLE, 10, 10, 50, 50, nullptr, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
    ASSERT_TRUE(owner);
    for (const NestedLoop& loop : loops) {
        SCOPED_TRACE(loop.name);
        int depth = 0;
        bool ranInside = false;
        DWORD ranOn = 0;
        TTestThread worker([&](TTestThread& t) {
            bool ended = false;
            for (int tries = 0; !ended && tries < 500; ++tries) {
                t.Synchronize([&] {
                    ranInside = depth > 0;
                    ranOn = GetCurrentThreadId();
                    ended = loop.end(owner);
                });
                if (!ended) Sleep(20);
            }
        });
        worker.Start();
        ++depth;
        loop.run(owner);
        --depth;
        worker.WaitFor();
        EXPECT_TRUE(ranInside);
        EXPECT_EQ(ranOn, uiThread);
    }
    DestroyWindow(owner);
}

TEST_F(ThreadTest, AnErrorOfASynchronizedCallIsRethrownInTheWorker) {
    DWORD caughtCode = 0;
    bool laterCallRan = false;
    TTestThread worker([&](TTestThread& t) {
        try {
            t.Synchronize([] { RaiseOSError(ERROR_ACCESS_DENIED); });
        } catch (const EOSError& e) {
            caughtCode = e.Code();
        }
        t.Synchronize([&] { laterCallRan = true; });
    });
    worker.Start();
    worker.WaitFor();
    EXPECT_EQ(caughtCode, static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_TRUE(laterCallRan);
    EXPECT_FALSE(worker.FatalException());
}

TEST_F(ThreadTest, SynchronizeOnTheUiThreadRunsAtOnce) {
    bool ran = false;
    Synchronize([&] { ran = true; });
    EXPECT_TRUE(ran);
    EXPECT_THROW(Synchronize([] { throw std::runtime_error("direct"); }), std::runtime_error);
}

TEST_F(ThreadTest, QueuedCallsRunLaterOnTheUiThreadInOrder) {
    std::vector<int> order;
    std::vector<DWORD> threads;
    HANDLE queued = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    TTestThread worker([&](TTestThread& t) {
        for (int i = 0; i < 50; ++i)
            t.Queue([&, i] {
                order.push_back(i);
                threads.push_back(GetCurrentThreadId());
            });
        SetEvent(queued);  // the UI thread is not pumping: Queue must not have waited
    });
    worker.Start();
    ASSERT_EQ(WaitForSingleObject(queued, 20000), WAIT_OBJECT_0);
    EXPECT_TRUE(order.empty());
    // Queue on the UI thread itself also runs later, behind what was queued before it.
    Queue([&] { order.push_back(50); });
    EXPECT_EQ(order.size(), 0u);
    ASSERT_TRUE(PumpMessagesUntil([&] { return order.size() == 51; }));
    for (int i = 0; i <= 50; ++i) EXPECT_EQ(order[i], i);
    for (DWORD id : threads) EXPECT_EQ(id, uiThread);
    worker.WaitFor();
    CloseHandle(queued);
}

TEST_F(ThreadTest, ShutDownDiscardsQueuedCallsAndReleasesWaitingWorkers) {
    auto payload = std::make_shared<int>(7);
    std::weak_ptr<int> watch = payload;
    bool ran = false;
    Queue([&ran, payload] { ran = true; });
    payload.reset();

    bool workerGotError = false;
    bool lateRan = false;
    HANDLE handedOver = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    TTestThread worker([&](TTestThread& t) {
        SetEvent(handedOver);
        try {
            t.Synchronize([&] { ran = true; });
        } catch (const EThread&) {
            workerGotError = true;
        }
        t.Queue([&] { lateRan = true; });  // after shut-down: dropped
    });
    worker.Start();
    ASSERT_EQ(WaitForSingleObject(handedOver, 20000), WAIT_OBJECT_0);
    Sleep(50);  // let the worker reach its wait; either way it must get EThread
    DoneMainThread();
    worker.WaitFor();
    EXPECT_TRUE(workerGotError);
    EXPECT_FALSE(ran);
    EXPECT_TRUE(watch.expired()) << "the discarded call's payload was not freed";
    EXPECT_EQ(CheckSynchronize(), 0);
    EXPECT_FALSE(lateRan);
    CloseHandle(handedOver);
}

TEST_F(ThreadTest, CallsQueuedByAThreadAreDiscardedWhenItIsFreed) {
    bool ran = false;
    auto* worker = new TTestThread([&](TTestThread& t) { t.Queue([&] { ran = true; }); });
    worker->Start();
    ASSERT_EQ(WaitForSingleObject(worker->Handle(), 20000), WAIT_OBJECT_0);  // no pumping meanwhile
    delete worker;
    EXPECT_EQ(CheckSynchronize(), 0);
    EXPECT_FALSE(ran);
}

TEST_F(ThreadTest, OnTerminateRunsOnTheUiThreadThenAFreeOnTerminateThreadFreesItself) {
    bool destroyed = false;
    bool executed = false;
    DWORD onTerminateThread = 0;
    bool destroyedBeforeOnTerminate = true;
    TThread* seenSender = nullptr;
    auto* worker = new TTestThread([&](TTestThread&) { executed = true; }, &destroyed);
    worker->FreeOnTerminate = true;
    worker->OnTerminate = [&](TThread* sender) {
        onTerminateThread = GetCurrentThreadId();
        destroyedBeforeOnTerminate = destroyed;
        seenSender = sender;
    };
    TThread* expected = worker;
    worker->Start();
    ASSERT_TRUE(PumpMessagesUntil([&] { return destroyed; }));
    EXPECT_TRUE(executed);
    EXPECT_EQ(onTerminateThread, uiThread);
    EXPECT_FALSE(destroyedBeforeOnTerminate);
    EXPECT_EQ(seenSender, expected);
}

TEST_F(ThreadTest, AnErrorEscapingExecuteIsReportedAndOnTerminateStillRuns) {
    std::string reported;
    DWORD reportedOn = 0;
    SetUnhandledHandler([&](std::exception_ptr e) {
        reported = ErrorMessage(e);
        reportedOn = GetCurrentThreadId();
    });
    bool terminated = false;
    TTestThread worker([](TTestThread&) { throw std::runtime_error("worker failed"); });
    worker.OnTerminate = [&](TThread*) { terminated = true; };
    worker.Start();
    worker.WaitFor();
    EXPECT_EQ(reported, "worker failed");
    EXPECT_EQ(reportedOn, worker.ThreadID()) << "the handler decides where to show it";
    EXPECT_TRUE(terminated);
    EXPECT_TRUE(worker.FatalException());
}

TEST_F(ThreadTest, TerminateIsSeenByTheWorker) {
    HANDLE never = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    TWaitResult flagWait = TWaitResult::Failed;
    DWORD eventWait = WAIT_FAILED;
    TTestThread worker([&](TTestThread& t) {
        flagWait = WaitCancellable(never, INFINITE, [&] { return t.Terminated(); }, 10);
        HANDLE both[2] = {never, t.StopEvent()};
        eventWait = WaitForMultipleObjects(2, both, FALSE, 20000);
    });
    worker.Start();
    EXPECT_FALSE(worker.Terminated());
    worker.Terminate();
    worker.WaitFor();
    EXPECT_TRUE(worker.Terminated());
    EXPECT_EQ(flagWait, TWaitResult::Stopped);
    EXPECT_EQ(eventWait, WAIT_OBJECT_0 + 1);
    CloseHandle(never);
}

TEST_F(ThreadTest, AThreadFreedBeforeItWasStartedNeverRuns) {
    bool executed = false;
    bool terminated = false;
    {
        TTestThread worker([&](TTestThread&) { executed = true; });
        worker.OnTerminate = [&](TThread*) { terminated = true; };
        EXPECT_THROW(worker.WaitFor(), EThread);
    }
    CheckSynchronize();
    EXPECT_FALSE(executed);
    EXPECT_FALSE(terminated);
}

TEST_F(ThreadTest, StartTwiceIsRefused) {
    TTestThread worker([](TTestThread& t) { t.SetReturnValue(5); });
    worker.Start();
    EXPECT_THROW(worker.Start(), EThread);
    EXPECT_EQ(worker.WaitFor(), 5u);
}

struct CounterArg {
    TCriticalSection* cs;
    int* counter;
};

DWORD WINAPI CountUnderLock(void* p) {
    auto* a = static_cast<CounterArg*>(p);
    for (int i = 0; i < 500; ++i) {
        TScopedLock hold(*a->cs);
        int v = *a->counter;
        Sleep(0);  // invite another thread in between read and write
        *a->counter = v + 1;
    }
    return 0;
}

TEST(CriticalSectionTest, KeepsReadModifyWriteWholeAcrossThreads) {
    TCriticalSection cs;
    int counter = 0;
    CounterArg arg{&cs, &counter};
    HANDLE threads[4];
    for (HANDLE& h : threads) h = CreateThread(nullptr, 0, CountUnderLock, &arg, 0, nullptr);
    WaitForMultipleObjects(4, threads, TRUE, INFINITE);
    for (HANDLE h : threads) CloseHandle(h);
    EXPECT_EQ(counter, 2000);
}

TEST(WaitTest, EndsForTheRightReason) {
    HANDLE set = CreateEventA(nullptr, TRUE, TRUE, nullptr);
    HANDLE unset = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE bogus = reinterpret_cast<HANDLE>(static_cast<uintptr_t>(0x0BADF00C));
    int asked = 0;
    auto stopOnThirdLook = [&] { return ++asked >= 3; };
    struct Case {
        const char* name;
        HANDLE handle;
        DWORD timeout;
        std::function<bool()> stop;
        TWaitResult expected;
    } cases[] = {
        {"signaled", set, INFINITE, [] { return false; }, TWaitResult::Signaled},
        {"time-out shorter than a slice", unset, 30, nullptr, TWaitResult::TimedOut},
        {"time-out over several slices", unset, 35, [] { return false; }, TWaitResult::TimedOut},
        {"stop before waiting", set, INFINITE, [] { return true; }, TWaitResult::Stopped},
        {"stop seen between slices", unset, INFINITE, stopOnThirdLook, TWaitResult::Stopped},
        {"not a handle to wait on", bogus, INFINITE, nullptr, TWaitResult::Failed},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(WaitCancellable(c.handle, c.timeout, c.stop, 10), c.expected);
    }
    EXPECT_EQ(asked, 3);
    EXPECT_TRUE(SleepCancellable(20, [] { return false; }, 5));
    EXPECT_FALSE(SleepCancellable(INFINITE, [] { return true; }));
    CloseHandle(set);
    CloseHandle(unset);
}

}  // namespace
