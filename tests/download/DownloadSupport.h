// What the download tests share: a host that keeps what the engine shows, a program folder of
// their own, and the probe program started under a destination's name.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "common/core/Handles.h"
#include "tidewell/download/DownloadHost.h"

namespace qv::test {

// Keeps every effect the engine asks for; the main window's part is played by the test.
class RecordingHost : public TDownloadHost {
public:
    std::vector<bool> Checked;  // missing lines count as ticked
    bool Silent = false;

    std::vector<std::string> Lines, Hints, Descriptions, Infos, Errors, PauseCaptions;
    std::vector<int> FileBars, TotalBars, Pages;
    int Closed = 0, CloseForms = 0, Terminations = 0, Pumps = 0;

    bool IsEntryChecked(size_t i) override { return i >= Checked.size() || Checked[i]; }
    bool SilentMode() override { return Silent; }
    TProxyState ProxySettings() override { return {}; }
    HWND OwnerWindow() override { return nullptr; }
    std::function<void()> OnProgress;  // after each progress line
    void SetProgressLine(const std::string& t) override {
        Lines.push_back(t);
        if (OnProgress) OnProgress();
    }
    void SetFileBar(int p) override { FileBars.push_back(p); }
    void SetTotalBar(int p) override { TotalBars.push_back(p); }
    void SetDescription(const std::string& t) override { Descriptions.push_back(t); }
    void SetTrayHint(const std::string& t) override { Hints.push_back(t); }
    void SetPauseCaption(const std::string& c) override { PauseCaptions.push_back(c); }
    void ShowInformation(const std::string& t) override { Infos.push_back(t); }
    void ReportError(const std::string& m) override { Errors.push_back(m); }
    void ShowPage(int p) override { Pages.push_back(p); }
    void CloseMainWindow() override { ++Closed; }
    void ShowCloseForm() override { ++CloseForms; }
    void TerminateApplication() override { ++Terminations; }
    void ProcessMessages() override { ++Pumps; }

    // The session stands on its last page: page 5, the error page, or the closed window.
    bool Ended() const { return !Pages.empty() || !Errors.empty() || Closed > 0; }
};

std::string ProbeProgram();
std::string ReadText(const std::string& path);  // "<missing>" when it cannot be read
void WriteText(const std::string& path, const std::string& text);
// The lines of a text, without their line ends.
std::vector<std::string> Lines(const std::string& text);

// The probe copied to `path` and started with "stay"; ended (if still running) on destruction.
class RunningProbe {
public:
    RunningProbe(const std::string& path, bool protect = false);
    ~RunningProbe();
    bool Started() const { return process_.valid(); }
    bool Exited(DWORD waitMs = 0) const { return WaitForSingleObject(process_.get(), waitMs) == WAIT_OBJECT_0; }
    HANDLE Process() const { return process_.get(); }

private:
    KernelHandle process_;
};

}  // namespace qv::test
