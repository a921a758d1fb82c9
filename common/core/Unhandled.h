// Where an error goes that nothing handled: every window procedure, timer handler, call run on
// the UI thread and thread entry catches what escapes it and passes it here; the program sets the
// handler once at start (the main program's crash reporter, the updater's own report).
// With no handler set, the error's text is shown in a plain message box.
#pragma once
#include <exception>
#include <functional>
#include <string>

namespace qv {

using UnhandledHandler = std::function<void(std::exception_ptr)>;

void SetUnhandledHandler(UnhandledHandler handler);
// Never throws; safe to call from any thread (the handler decides where it shows the error).
void ReportUnhandled(std::exception_ptr error) noexcept;
// The message of an error as the user sees it: what() for std::exception, else a generic text.
std::string ErrorMessage(std::exception_ptr error);

// Runs fn and reports whatever escapes it; for the catch points named above.
template <class Fn>
void Guarded(Fn&& fn) noexcept {
    try {
        fn();
    } catch (...) {
        ReportUnhandled(std::current_exception());
    }
}

}  // namespace qv
