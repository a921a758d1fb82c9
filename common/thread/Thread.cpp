#include "common/thread/Thread.h"

#include <process.h>

#include <deque>

#include "common/core/OSError.h"
#include "common/core/Unhandled.h"
#include "common/thread/CriticalSection.h"

namespace qv {

namespace {

// Thrown to a worker whose call can no longer reach the UI thread.
class EThreadNoUI : public EThread {
public:
    EThreadNoUI() : EThread("There is no UI thread to run the call on") {}
};

const UINT WM_QV_CALLS = WM_USER + 1;
const char kWindowClass[] = "QvThreadCalls";

// A Synchronize call lives on the waiting worker's stack; the UI side only runs it and signals.
struct SyncCall {
    const std::function<void()>* fn;
    std::exception_ptr error;
    HANDLE done;
};

struct HandedCall {
    SyncCall* sync = nullptr;        // Synchronize: the worker waits for `done`
    std::function<void()> queued;    // Queue: owned here, freed on the UI thread
    const void* owner = nullptr;
};

struct Dispatcher {
    TCriticalSection lock;
    std::deque<HandedCall> calls;
    HWND window = nullptr;
    HANDLE pending = nullptr;  // auto-reset; set on every hand-over, for waits on the UI thread
    bool open = false;
    bool wakePosted = false;
    std::atomic<DWORD> mainId{0};
};

Dispatcher& D() {
    static Dispatcher d;
    return d;
}

// With the lock held: make sure a wake-up message is on its way to the UI thread.
void PokeLocked(Dispatcher& d) {
    if (!d.wakePosted && d.window) d.wakePosted = ::PostMessageA(d.window, WM_QV_CALLS, 0, 0) != FALSE;
}

bool HandOver(HandedCall call) {
    Dispatcher& d = D();
    TScopedLock hold(d.lock);
    if (!d.open) return false;
    d.calls.push_back(std::move(call));
    ::SetEvent(d.pending);
    PokeLocked(d);
    return true;
}

void RunCall(HandedCall& call) {
    if (call.sync) {
        try {
            (*call.sync->fn)();
        } catch (...) {
            call.sync->error = std::current_exception();
        }
        ::SetEvent(call.sync->done);  // the worker may return at once: touch nothing after this
    } else {
        Guarded(call.queued);
    }
}

int Drain() {
    Dispatcher& d = D();
    int ran = 0;
    {
        TScopedLock hold(d.lock);
        d.wakePosted = false;
    }
    for (;;) {
        HandedCall call;
        {
            TScopedLock hold(d.lock);
            if (d.calls.empty()) break;
            call = std::move(d.calls.front());
            d.calls.pop_front();
        }
        // A call may open a modal loop, which drains again from inside: that is intended.
        RunCall(call);
        ++ran;
    }
    return ran;
}

LRESULT CALLBACK CallsWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_QV_CALLS) {
        Guarded([] { Drain(); });
        return 0;
    }
    return ::DefWindowProcA(hwnd, msg, wp, lp);
}

}  // namespace

void InitMainThread() {
    Dispatcher& d = D();
    if (d.mainId.load() != 0) throw EThread("The UI thread is already set");
    HINSTANCE inst = ::GetModuleHandleA(nullptr);
    WNDCLASSA wc{};
    wc.lpfnWndProc = CallsWindowProc;
    wc.hInstance = inst;
    wc.lpszClassName = kWindowClass;
    if (!::RegisterClassA(&wc) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS) RaiseLastOSError();
    // A plain hidden top-level window: HWND_MESSAGE does not exist on the 9x family.
    HWND w = ::CreateWindowExA(WS_EX_TOOLWINDOW, kWindowClass, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                               inst, nullptr);
    if (!w) RaiseLastOSError();
    HANDLE pending = ::CreateEventA(nullptr, FALSE, FALSE, nullptr);
    if (!pending) {
        DWORD code = ::GetLastError();
        ::DestroyWindow(w);
        RaiseOSError(code);
    }
    TScopedLock hold(d.lock);
    d.window = w;
    d.pending = pending;
    d.open = true;
    d.wakePosted = false;
    d.mainId = ::GetCurrentThreadId();
}

void DoneMainThread() {
    Dispatcher& d = D();
    if (!IsMainThread()) return;
    std::deque<HandedCall> left;
    HWND w;
    HANDLE pending;
    {
        TScopedLock hold(d.lock);
        d.open = false;
        left.swap(d.calls);
        w = d.window;
        pending = d.pending;
        d.window = nullptr;
        d.pending = nullptr;
        d.mainId = 0;
    }
    for (HandedCall& call : left) {
        if (call.sync) {
            call.sync->error = std::make_exception_ptr(EThreadNoUI());
            ::SetEvent(call.sync->done);
        }
        // Queued calls are dropped with their payloads, here on the UI thread.
    }
    left.clear();
    if (w) ::DestroyWindow(w);
    if (pending) ::CloseHandle(pending);
}

bool IsMainThread() noexcept {
    DWORD id = D().mainId.load();
    return id != 0 && id == ::GetCurrentThreadId();
}

DWORD MainThreadID() noexcept { return D().mainId.load(); }

void Synchronize(const std::function<void()>& fn) {
    if (IsMainThread()) {
        fn();
        return;
    }
    SyncCall call{&fn, nullptr, ::CreateEventA(nullptr, TRUE, FALSE, nullptr)};
    if (!call.done) RaiseLastOSError();
    HandedCall handed;
    handed.sync = &call;
    if (!HandOver(std::move(handed))) {
        ::CloseHandle(call.done);
        throw EThreadNoUI();
    }
    // A wake-up that could not be posted (a full message queue) is tried again now and then.
    while (::WaitForSingleObject(call.done, 250) == WAIT_TIMEOUT) {
        Dispatcher& d = D();
        TScopedLock hold(d.lock);
        PokeLocked(d);
    }
    ::CloseHandle(call.done);
    if (call.error) std::rethrow_exception(call.error);
}

void Queue(std::function<void()> fn, const void* owner) {
    if (!fn) return;
    HandedCall handed;
    handed.queued = std::move(fn);
    handed.owner = owner;
    HandOver(std::move(handed));  // refused once shut down: the payload is simply dropped
}

void RemoveQueuedCalls(const void* owner) {
    if (!owner) return;
    Dispatcher& d = D();
    std::deque<HandedCall> dropped;
    {
        TScopedLock hold(d.lock);
        std::deque<HandedCall> kept;
        for (HandedCall& c : d.calls) (!c.sync && c.owner == owner ? dropped : kept).push_back(std::move(c));
        d.calls.swap(kept);
    }
    // `dropped` frees the payloads outside the lock: their destructors may hand over again.
}

int CheckSynchronize() { return IsMainThread() ? Drain() : 0; }

// ---------------------------------------------------------------------------------------------

TThread::TThread() {
    stopEvent_ = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (!stopEvent_) RaiseLastOSError();
    unsigned id = 0;
    uintptr_t h = ::_beginthreadex(nullptr, 0, &TThread::Entry, this, CREATE_SUSPENDED, &id);
    if (!h) {
        DWORD code = ::GetLastError();
        ::CloseHandle(stopEvent_);
        RaiseOSError(code ? code : ERROR_NOT_ENOUGH_MEMORY);
    }
    handle_ = reinterpret_cast<HANDLE>(h);
    threadId_ = id;
}

TThread::~TThread() {
    RemoveQueuedCalls(this);
    if (::GetCurrentThreadId() != threadId_) {
        if (!started_) {
            // Never started: let the system thread run just far enough to leave.
            abandoned_ = true;
            ::ResumeThread(handle_);
            ::WaitForSingleObject(handle_, INFINITE);
        } else if (!finished_.load()) {
            // A safety net only: the owner should stop and wait for the thread before freeing it.
            Terminate();
            try {
                WaitFor();
            } catch (...) {
            }
        }
    }
    ::CloseHandle(handle_);
    ::CloseHandle(stopEvent_);
}

void TThread::Start() {
    if (started_) throw EThread("Cannot call Start on a running or finished thread");
    started_ = true;
    if (::ResumeThread(handle_) == static_cast<DWORD>(-1)) {
        started_ = false;
        RaiseLastOSError();
    }
}

void TThread::Terminate() noexcept {
    terminated_ = true;
    ::SetEvent(stopEvent_);
}

DWORD TThread::WaitFor() {
    if (::GetCurrentThreadId() == threadId_) throw EThread("A thread cannot wait for itself");
    if (!started_) throw EThread("Cannot wait for a thread that was not started");
    if (IsMainThread()) {
        // Keep running what workers hand over (this one's OnTerminate among it), and answer
        // messages sent from other threads, until the thread has ended.
        for (;;) {
            HANDLE waits[2] = {handle_, D().pending};
            DWORD r = ::MsgWaitForMultipleObjects(2, waits, FALSE, INFINITE, QS_SENDMESSAGE);
            if (r == WAIT_OBJECT_0) break;
            if (r == WAIT_OBJECT_0 + 1) {
                CheckSynchronize();
            } else if (r == WAIT_OBJECT_0 + 2) {
                MSG msg;
                ::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);
            } else {
                RaiseLastOSError();
            }
        }
    } else if (::WaitForSingleObject(handle_, INFINITE) == WAIT_FAILED) {
        RaiseLastOSError();
    }
    DWORD code = 0;
    ::GetExitCodeThread(handle_, &code);
    return code;
}

unsigned __stdcall TThread::Entry(void* self) {
    TThread* t = static_cast<TThread*>(self);
    if (t->abandoned_) return 0;
    DWORD result = 0;
    try {
        t->Run();
    } catch (...) {
        ReportUnhandled(std::current_exception());
    }
    result = t->returnValue_;
    bool freeSelf = t->FreeOnTerminate;
    t->finished_ = true;
    if (freeSelf) delete t;
    return result;
}

void TThread::Run() {
    try {
        Execute();
    } catch (...) {
        fatal_ = std::current_exception();
        ReportUnhandled(fatal_);
    }
    if (OnTerminate) {
        try {
            qv::Synchronize([this] { OnTerminate(this); });
        } catch (const EThreadNoUI&) {
            // The UI thread has shut down: there is nobody left to tell.
        } catch (...) {
            ReportUnhandled(std::current_exception());
        }
    }
}

}  // namespace qv
