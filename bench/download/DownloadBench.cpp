// One entry's download through the engine (worker, HTTP client, temporary file), then its
// installation copy in 1024-byte blocks with progress, against a plain file copy of the same
// file; then the same entry again with its progress on the wizard's own window. Arguments: the
// file's address, its size, the folder to install into. Prints seconds; the script beside this
// file sets them against curl fetching the same file from the same server.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/http/HttpClient.h"
#include "common/thread/Thread.h"
#include "common/ui/Application.h"
#include "tidewell/download/DownloadEngine.h"
#include "tidewell/download/DownloadPaths.h"
#include "tidewell/wizard/MainUnit.h"
#include "tidewell/wizard/WizardDownloadHost.h"

namespace {

double Now() {
    LARGE_INTEGER f, c;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&c);
    return static_cast<double>(c.QuadPart) / static_cast<double>(f.QuadPart);
}

// The wizard's part without windows: the progress texts are made and handed over as usual.
class BenchHost : public qv::TDownloadHost {
public:
    double installStarted = 0;
    bool ended = false;
    std::string error;
    size_t lines = 0;

    bool IsEntryChecked(size_t) override { return true; }
    bool SilentMode() override { return false; }
    qv::TProxyState ProxySettings() override { return {}; }
    HWND OwnerWindow() override { return nullptr; }
    void SetProgressLine(const std::string& t) override {
        ++lines;
        if (installStarted == 0 && t.compare(0, 11, "Installing ") == 0) installStarted = Now();
    }
    void SetFileBar(int) override {}
    void SetTotalBar(int) override {}
    void SetDescription(const std::string&) override {}
    void SetTrayHint(const std::string&) override {}
    void SetPauseCaption(const std::string&) override {}
    void ShowInformation(const std::string&) override {}
    void ReportError(const std::string& m) override { error = m, ended = true; }
    void ShowPage(int) override { ended = true; }
    void CloseMainWindow() override { ended = true; }
    void ShowCloseForm() override {}
    void TerminateApplication() override { ended = true; }
    void ProcessMessages() override {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    }
};

// The wizard's window and tray icon show the progress; the session's own steps are watched.
class WindowHost : public qv::TWizardDownloadHost {
public:
    explicit WindowHost(qv::TMainForm& form) : TWizardDownloadHost(form) {}
    double installStarted = 0;
    bool ended = false;
    std::string error;

    double lineTime = 0, barTime = 0, hintTime = 0, pumpTime = 0;  // where the window's share goes

    bool IsEntryChecked(size_t) override { return true; }
    qv::TProxyState ProxySettings() override { return {}; }
    void SetProgressLine(const std::string& t) override {
        if (installStarted == 0 && t.compare(0, 11, "Installing ") == 0) installStarted = Now();
        double a = Now();
        TWizardDownloadHost::SetProgressLine(t);
        lineTime += Now() - a;
    }
    void SetFileBar(int p) override {
        double a = Now();
        TWizardDownloadHost::SetFileBar(p);
        barTime += Now() - a;
    }
    void SetTotalBar(int p) override {
        double a = Now();
        TWizardDownloadHost::SetTotalBar(p);
        barTime += Now() - a;
    }
    void SetTrayHint(const std::string& t) override {
        double a = Now();
        TWizardDownloadHost::SetTrayHint(t);
        hintTime += Now() - a;
    }
    void ProcessMessages() override {
        double a = Now();
        TWizardDownloadHost::ProcessMessages();
        pumpTime += Now() - a;
    }
    void ReportError(const std::string& m) override { error = m, ended = true; }
    void ShowPage(int) override { ended = true; }
    void CloseMainWindow() override { ended = true; }
    void TerminateApplication() override { ended = true; }
};

std::unique_ptr<qv::TInfoFile> OneEntry(const std::string& url, long size) {
    auto info = std::make_unique<qv::TInfoFile>("Untitled");
    auto f = std::make_unique<qv::TFile>("bench.bin");
    f->ProductName = "Bench";
    f->FilePath = url;
    f->FileSize = size;
    f->DestFile = "bench.bin";
    f->Version.Parse("1.0.0");
    info->Files.push_back(std::move(f));
    return info;
}

template <class Host>
void RunSession(Host& host, qv::TInfoFile& info, const std::string& url, const std::string& folder) {
    std::vector<std::string> cleanup;
    volatile bool stop = false;
    qv::TDownloadEngine engine(host, info, cleanup, stop);
    engine.Server = url;
    engine.ProgramFolder = folder;
    engine.StartDownloads();
    MSG msg;
    while (!host.ended && GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: download_bench URL SIZE FOLDER\n");
        return 2;
    }
    qv::InitMainThread();
    std::string url = argv[1];
    long size = std::atol(argv[2]);
    std::string folder = argv[3];
    if (folder.back() != '\\') folder += '\\';

    BenchHost host;
    auto info = OneEntry(url, size);
    double start = Now();
    RunSession(host, *info, url, folder);
    double end = Now();
    if (!host.error.empty()) {
        std::fprintf(stderr, "%s\n", host.error.c_str());
        return 1;
    }
    std::printf("download_seconds %.4f\n", host.installStarted - start);
    std::printf("install_seconds %.4f\n", end - host.installStarted);
    std::printf("progress_updates %zu\n", host.lines);

    // The HTTP client alone into a file, without the engine around it.
    {
        qv::THttpClient client;
        std::string raw = folder + "bench-raw.bin";
        HANDLE h = CreateFileA(raw.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        qv::TFileSink sink(h);
        double r0 = Now();
        try {
            client.Get(url, sink);
        } catch (const std::exception& e) {
            std::fprintf(stderr, "%s\n", e.what());
        }
        double r1 = Now();
        CloseHandle(h);
        DeleteFileA(raw.c_str());
        std::printf("client_seconds %.4f\n", r1 - r0);
    }

    std::string copy = folder + "bench-copy.bin";
    double c0 = Now();
    BOOL copied = CopyFileA((folder + "~bench.bin").c_str(), copy.c_str(), FALSE);
    double c1 = Now();
    std::printf("copy_seconds %.4f\n", copied ? c1 - c0 : -1.0);
    DeleteFileA(copy.c_str());

    // Again, with the progress on the wizard's fourth page and in the tray icon's hint.
    {
        DeleteFileA((folder + "bench.bin").c_str());
        auto form = std::make_unique<qv::TMainForm>();
        qv::ui::Application().SetMainForm(form.get());
        form->OnStartListCheck = [](const std::string&) {};  // the page stays on the transfer
        form->FormCreate({});
        form->Show();
        form->OnStartDownloads = nullptr;  // the session below is the page's transfer
        form->ShowPage(4);
        WindowHost windowHost(*form);
        auto windowInfo = OneEntry(url, size);
        RunSession(windowHost, *windowInfo, url, folder);
        double w1 = Now();
        if (!windowHost.error.empty()) {
            std::fprintf(stderr, "%s\n", windowHost.error.c_str());
            return 1;
        }
        std::printf("install_window_seconds %.4f\n", w1 - windowHost.installStarted);
        std::printf("window_page %d\n", form->CurrentPage);
        std::printf("window_line %.4f bars %.4f hint %.4f messages %.4f\n", windowHost.lineTime, windowHost.barTime,
                    windowHost.hintTime, windowHost.pumpTime);
        form.reset();
    }
    qv::DoneMainThread();
    return 0;
}
