// The crash reporter: every error that nothing handled ends up here, the program is asked
// (on its UI thread) whether to send a report, and "send" writes the report into a folder.
//
// C++ errors arrive through ReportUnhandled; afterwards the program goes on. Structured
// exceptions (access violation, division by zero, ...) on any thread arrive through the
// process's unhandled-exception filter; once the report is handled the process ends, with the
// exception's code as its exit code.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

namespace qv::crash {

// Shows the program's own error window for `message` (the error's text without a final full
// stop) and returns whether the report is to be sent. Always called on the UI thread (the one
// that called InitMainThread); a worker that failed waits meanwhile.
using TNotify = std::function<bool(const std::string& message)>;

// Becomes the handler of unhandled C++ errors (SetUnhandledHandler) and the process's
// unhandled-exception filter. `reportsFolder` is created when the first report is written.
void Install(const std::string& programName, const std::string& reportsFolder, TNotify notify);
// Puts back the filter that was there before and removes the C++ error handler.
void Uninstall();

// The text shown for a structured exception, e.g. "Access violation (C0000005) at address
// 0040123A in module 'Quorvane.exe'. Write of address 00000010". No final full stop.
std::string StructuredExceptionMessage(const EXCEPTION_RECORD& record);
// Full path of the module (program or library) whose image holds `address`; empty when none does.
std::string ModuleOfAddress(const void* address);
// The message without one final full stop.
std::string WithoutFinalStop(std::string message);

// What a report holds besides its time and the system's version.
struct TCrashInfo {
    std::string program;
    std::string message;
    std::string errorClass;          // C++ errors: the type thrown
    DWORD code = 0;                  // structured exceptions: the exception code
    const void* address = nullptr;   // structured exceptions: where it happened
    std::string module;              // full path of the module holding `address` (or the program)
    DWORD threadId = 0;
    bool structured = false;
};

// Writes "<folder><program>-<yyyymmdd>-<hhmmss>-<process id>-<n>.txt" and, where dbghelp.dll
// offers MiniDumpWriteDump, a minidump beside it with the same name and ".dmp" (with the
// exception's context when `exception` is given). Creates the folder. Returns the text file's
// path, or an empty text when nothing could be written.
std::string WriteReport(const std::string& folder, const TCrashInfo& info, EXCEPTION_POINTERS* exception);

}  // namespace qv::crash
