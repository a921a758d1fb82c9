// Answers the message boxes a test provokes: a watcher thread waits for a system dialog window
// (class #32770) of a process, keeps its text and presses one of its buttons. Works for boxes
// of the test process itself (shown while the test's own thread sits in the box's loop) and of
// a program the test started.
#pragma once
#include <windows.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace qv::test {

class MessageBoxCatcher {
public:
    // Presses `button` (IDOK, IDYES, ...) in every box that appears, until destroyed.
    explicit MessageBoxCatcher(int button = IDOK, DWORD processId = GetCurrentProcessId());
    ~MessageBoxCatcher();
    MessageBoxCatcher(const MessageBoxCatcher&) = delete;
    MessageBoxCatcher& operator=(const MessageBoxCatcher&) = delete;

    // The texts of the boxes answered so far, in order.
    std::vector<std::string> Texts() const;
    // Waits (up to the limit) until at least n boxes have been answered.
    bool WaitFor(size_t n, DWORD limitMs = 10000) const;

private:
    void Run();
    int button_;
    DWORD processId_;
    std::atomic<bool> stop_{false};
    mutable std::mutex lock_;
    std::vector<std::string> texts_;
    std::thread thread_;
};

}  // namespace qv::test
