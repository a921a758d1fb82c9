// The probe program (ProbeProgram.cpp) as the process tests and the benchmark drive it.
#pragma once
#include <windows.h>
#include <string>

namespace qv::test {

// Windows path of the probe executable.
std::string ProbePath();

// A running probe in "sleep" mode; ended and waited for on destruction.
class ProbeProcess {
public:
    // Returns once the probe has its threads and touched memory (at most 20 s); an empty
    // ProbeProcess (Id 0) when it did not get there. It ends by itself after `seconds`.
    static ProbeProcess Sleeper(int threads, int megabytes = 0, bool protect = false,
                                const std::string& exe = ProbePath(), int seconds = 120);
    ProbeProcess() = default;
    ProbeProcess(ProbeProcess&& o) noexcept;
    ProbeProcess& operator=(ProbeProcess&& o) noexcept;
    ~ProbeProcess();

    DWORD Id() const { return id_; }
    HANDLE Handle() const { return process_; }
    bool Running() const;
    // Ends the probe, closes every handle of it and waits (at most 10 s) until its id names no
    // process any more.
    void End();

private:
    HANDLE process_ = nullptr;
    DWORD id_ = 0;
};

// Whether the handle still names an icon (Wine's GetGuiResources counts nothing, so freed icons
// are checked this way).
bool IsLiveIcon(HICON icon);

// Runs the probe with these arguments to its end (at most 30 s) and returns what it printed.
std::string RunProbe(const std::string& arguments, const std::string& exe = ProbePath());

}  // namespace qv::test
