// The program the download tests run under the names of destinations:
//   (any arguments)                 appends its arguments as one line to <its own path>.log
//   stay EVENT [protect]            then signals EVENT and waits (at most a minute); "protect"
//                                   first gives the process an empty access list, so nobody may end it
//   self-replace FILE               then installs FILE over itself as the updater does, with
//                                   SELFRESTART, and logs the outcome
#include <windows.h>
#include <aclapi.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "common/core/Paths.h"
#include "tidewell/download/DownloadEngine.h"

namespace {

void Log(const std::string& line) {
    std::string path = qv::ModuleFileName() + ".log";
    FILE* f = std::fopen(path.c_str(), "ab");
    if (!f) return;
    std::fprintf(f, "%s\n", line.c_str());
    std::fclose(f);
}

class ProbeHost : public qv::TDownloadHost {
public:
    bool IsEntryChecked(size_t) override { return true; }
    bool SilentMode() override { return true; }
    qv::TProxyState ProxySettings() override { return {}; }
    HWND OwnerWindow() override { return nullptr; }
    void SetProgressLine(const std::string&) override {}
    void SetFileBar(int) override {}
    void SetTotalBar(int) override {}
    void SetDescription(const std::string&) override {}
    void SetTrayHint(const std::string&) override {}
    void SetPauseCaption(const std::string&) override {}
    void ShowInformation(const std::string&) override {}
    void ReportError(const std::string& message) override { Log("error " + message); }
    void ShowPage(int page) override { Log("page " + std::to_string(page)); }
    void CloseMainWindow() override { Log("closed"); }
    void ShowCloseForm() override {}
    void TerminateApplication() override { Log("terminate"); }
    void ProcessMessages() override {}
};

int SelfReplace(const char* download) {
    ProbeHost host;
    qv::TInfoFile info("Untitled");
    auto file = std::make_unique<qv::TFile>("Tidewell.exe");
    file->DestFile = qv::ExtractFileName(qv::ModuleFileName());
    file->Finished = "SELFRESTART";
    file->Version.Parse("9.8.7");
    info.Files.push_back(std::move(file));
    std::vector<std::string> cleanup;
    volatile bool stop = false;
    qv::TDownloadEngine engine(host, info, cleanup, stop);
    engine.DownloadStream.reset(CreateFileA(download, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!engine.DownloadStream) return 7;
    SetFilePointer(engine.DownloadStream.get(), 0, nullptr, FILE_END);
    engine.TotalSize = 2 * GetFileSize(engine.DownloadStream.get(), nullptr);
    engine.CurrentIndex = 1;
    engine.InstallDownloadedFile();
    Log("restart " + engine.RestartParameter);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::string line;
    for (int i = 1; i < argc; ++i) line += (i > 1 ? " " : "") + std::string(argv[i]);
    Log(line);
    if (argc >= 3 && !std::strcmp(argv[1], "stay")) {
        if (argc >= 4 && !std::strcmp(argv[3], "protect")) {
            ACL empty;
            InitializeAcl(&empty, sizeof empty, ACL_REVISION);
            if (SetSecurityInfo(GetCurrentProcess(), SE_KERNEL_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr,
                                &empty, nullptr) != ERROR_SUCCESS)
                return 3;
        }
        HANDLE ready = OpenEventA(EVENT_MODIFY_STATE, FALSE, argv[2]);
        if (ready) SetEvent(ready), CloseHandle(ready);
        Sleep(60000);
        return 0;
    }
    if (argc >= 3 && !std::strcmp(argv[1], "self-replace")) return SelfReplace(argv[2]);
    return 0;
}
