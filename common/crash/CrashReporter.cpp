// Where unhandled errors are caught, handed to the UI thread and turned into reports.
#include "common/crash/CrashReporter.h"

#include <cxxabi.h>

#include <cstdlib>
#include <typeinfo>

#include "common/core/Paths.h"
#include "common/core/Unhandled.h"
#include "common/thread/CriticalSection.h"
#include "common/thread/Thread.h"

namespace qv::crash {

namespace {

struct Settings {
    std::string program;
    std::string folder;
    TNotify notify;
};

struct State {
    TCriticalSection lock;
    Settings settings;
    bool installed = false;
    LPTOP_LEVEL_EXCEPTION_FILTER previous = nullptr;
};

State& S() {
    static State s;
    return s;
}

Settings CurrentSettings() {
    TScopedLock hold(S().lock);
    return S().settings;
}

// Asks the program, on the UI thread, whether to send. `direct`: call notify here, because the
// UI thread cannot run it (it is the one that failed, and waits for this thread).
bool AskToSend(const Settings& s, const std::string& message, bool direct) {
    if (!s.notify) return true;
    bool send = true;
    auto ask = [&] { send = s.notify(message); };
    try {
        if (direct || IsMainThread() || MainThreadID() == 0) {
            ask();
        } else {
            try {
                Synchronize(ask);
            } catch (const EThread&) {
                // The UI thread is gone (or never was): this thread asks for itself.
                ask();
            }
        }
    } catch (...) {
        // The error window itself failed: nobody said "don't send", so the report is written.
        send = true;
    }
    return send;
}

std::string TypeName(std::exception_ptr error) {
    try {
        std::rethrow_exception(error);
    } catch (...) {
        const std::type_info* type = abi::__cxa_current_exception_type();
        if (!type) return {};
        int status = 0;
        char* readable = abi::__cxa_demangle(type->name(), nullptr, nullptr, &status);
        std::string name = status == 0 && readable ? readable : type->name();
        std::free(readable);
        return name;
    }
}

void OnCppError(std::exception_ptr error) {
    Settings s = CurrentSettings();
    TCrashInfo info;
    info.program = s.program;
    info.message = WithoutFinalStop(ErrorMessage(error));
    info.errorClass = error ? TypeName(error) : std::string();
    info.module = ModuleFileName();
    info.threadId = ::GetCurrentThreadId();
    if (AskToSend(s, info.message, false)) WriteReport(s.folder, info, nullptr);
}

struct StructuredJob {
    EXCEPTION_POINTERS* exception;
    DWORD threadId;
    bool direct;
};

void HandleStructured(const StructuredJob& job) {
    Settings s = CurrentSettings();
    const EXCEPTION_RECORD& r = *job.exception->ExceptionRecord;
    TCrashInfo info;
    info.program = s.program;
    info.message = StructuredExceptionMessage(r);
    info.code = r.ExceptionCode;
    info.address = r.ExceptionAddress;
    info.module = ModuleOfAddress(r.ExceptionAddress);
    info.threadId = job.threadId;
    info.structured = true;
    if (AskToSend(s, info.message, job.direct)) WriteReport(s.folder, info, job.exception);
}

unsigned long WINAPI StructuredJobThread(void* p) {
    HandleStructured(*static_cast<StructuredJob*>(p));
    return 0;
}

LONG g_claimed = 0;
DWORD g_handlingThread = 0;

LONG WINAPI Filter(EXCEPTION_POINTERS* exception) {
    const DWORD code = exception->ExceptionRecord->ExceptionCode;
    const DWORD self = ::GetCurrentThreadId();
    // A fault while this very thread handles one: nothing is left to try.
    if (g_handlingThread == self) ::TerminateProcess(::GetCurrentProcess(), code);
    if (::InterlockedExchange(&g_claimed, 1) != 0 && !IsMainThread()) {
        // Another thread's fault is being handled and ends the process; this one waits for that.
        // The UI thread does not wait here: the other thread may be waiting for it.
        ::Sleep(INFINITE);
    }
    g_handlingThread = self;
    const bool onMain = IsMainThread();
    StructuredJob job{exception, self, onMain};
    if (code == EXCEPTION_STACK_OVERFLOW) {
        // Too little stack is left to show a window on: a fresh thread does the work.
        DWORD id = 0;
        HANDLE t = ::CreateThread(nullptr, 256 * 1024, StructuredJobThread, &job, 0, &id);
        if (t) {
            ::WaitForSingleObject(t, INFINITE);
            ::CloseHandle(t);
        }
    } else {
        HandleStructured(job);
    }
    ::TerminateProcess(::GetCurrentProcess(), code);
    return EXCEPTION_EXECUTE_HANDLER;
}

}  // namespace

void Install(const std::string& programName, const std::string& reportsFolder, TNotify notify) {
    State& s = S();
    {
        TScopedLock hold(s.lock);
        s.settings = Settings{programName, reportsFolder, std::move(notify)};
        if (!s.installed) {
            s.previous = ::SetUnhandledExceptionFilter(Filter);
            s.installed = true;
        }
    }
    SetUnhandledHandler(OnCppError);
}

void Uninstall() {
    State& s = S();
    SetUnhandledHandler(nullptr);
    TScopedLock hold(s.lock);
    if (s.installed) {
        ::SetUnhandledExceptionFilter(s.previous);
        s.installed = false;
        s.previous = nullptr;
    }
    s.settings = Settings{};
}

}  // namespace qv::crash
