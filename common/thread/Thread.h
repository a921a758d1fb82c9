// Worker threads and the calls they hand to the UI thread.
//
// The UI thread is the one that called InitMainThread. It owns a hidden top-level window (the
// 9x family has no message-only windows); a call handed over by Synchronize or Queue is put in
// a first-in, first-out list and that window is woken by a posted message. Every message loop
// dispatches posted messages, so calls keep running while the UI thread sits in a MessageBox,
// a menu or a modal dialog. TThread::WaitFor on the UI thread runs them too, so a worker that
// synchronises while the UI thread waits for it does not dead-lock.
#pragma once
#include <windows.h>

#include <atomic>
#include <exception>
#include <functional>
#include <stdexcept>
#include <string>

namespace qv {

// Misuse of the thread layer, and calls that can no longer reach the UI thread.
class EThread : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Makes the calling thread the UI thread; call once, before any worker hands anything over.
void InitMainThread();
// Ends the hand-over: calls still queued are discarded (their payloads freed, never run), and
// workers blocked in Synchronize get EThread. Call on the UI thread before the program's
// objects go away.
void DoneMainThread();
bool IsMainThread() noexcept;
// 0 before InitMainThread.
DWORD MainThreadID() noexcept;

// Runs fn on the UI thread and blocks until it has returned; an exception thrown by fn is
// re-thrown here. On the UI thread itself fn simply runs. Throws EThread when there is no UI
// thread to run it (never initialised, or already shut down).
void Synchronize(const std::function<void()>& fn);
// Hands fn to the UI thread without waiting; it runs later, after everything handed over before
// it, also when called on the UI thread. An exception from fn goes to ReportUnhandled. `owner`
// tags the call so that RemoveQueuedCalls can take it back. Discarded when the hand-over is
// shut down.
void Queue(std::function<void()> fn, const void* owner = nullptr);
// Discards the queued calls tagged with owner (an object about to be freed).
void RemoveQueuedCalls(const void* owner);
// Runs, on the UI thread, whatever has been handed over so far. Message loops do this on their
// own; it is for code on the UI thread that waits without one. Returns the number of calls run.
int CheckSynchronize();

// The stand-in of the class library's thread class. The system thread is created suspended
// with the object; Start lets it run Execute. When Execute has ended (also by an exception,
// which goes to ReportUnhandled), OnTerminate runs on the UI thread while the worker waits;
// then, with FreeOnTerminate, the object deletes itself.
class TThread {
public:
    using TNotify = std::function<void(TThread* sender)>;

    TThread();
    // Waits for a running thread to end (after asking it to terminate); a thread that was never
    // started ends without running Execute.
    virtual ~TThread();
    TThread(const TThread&) = delete;
    TThread& operator=(const TThread&) = delete;

    void Start();
    // Sets the request flag (and the stop event); Execute is expected to look at Terminated.
    void Terminate() noexcept;
    bool Terminated() const noexcept { return terminated_.load(); }
    // Blocks until the thread has ended and returns ReturnValue; on the UI thread, calls handed
    // over meanwhile keep running. Not for a FreeOnTerminate thread (it may already be freed).
    DWORD WaitFor();

    bool Started() const noexcept { return started_; }
    bool Finished() const noexcept { return finished_.load(); }
    HANDLE Handle() const noexcept { return handle_; }
    DWORD ThreadID() const noexcept { return threadId_; }
    DWORD ReturnValue() const noexcept { return returnValue_; }
    // The error that ended Execute, if one did (it has also been reported).
    std::exception_ptr FatalException() const { return fatal_; }
    // Signaled by Terminate: a worker can wait on it beside its own handles.
    HANDLE StopEvent() const noexcept { return stopEvent_; }

    bool FreeOnTerminate = false;
    TNotify OnTerminate;  // empty: skipped

protected:
    virtual void Execute() = 0;
    void SetReturnValue(DWORD value) noexcept { returnValue_ = value; }
    void Synchronize(const std::function<void()>& fn) { qv::Synchronize(fn); }
    // Tagged with this thread: calls still queued when the object is freed are discarded.
    void Queue(std::function<void()> fn) { qv::Queue(std::move(fn), this); }

private:
    static unsigned __stdcall Entry(void* self);
    void Run();

    HANDLE handle_ = nullptr;
    HANDLE stopEvent_ = nullptr;
    DWORD threadId_ = 0;
    DWORD returnValue_ = 0;
    bool started_ = false;
    bool abandoned_ = false;  // freed before it was started: the entry leaves at once
    std::atomic<bool> terminated_{false};
    std::atomic<bool> finished_{false};
    std::exception_ptr fatal_;
};

}  // namespace qv
