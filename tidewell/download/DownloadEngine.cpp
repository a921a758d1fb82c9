#include "tidewell/download/DownloadEngine.h"

#include <shellapi.h>

#include "common/core/Paths.h"
#include "common/thread/Thread.h"
#include "tidewell/download/DownloadProgress.h"
#include "tidewell/download/DownloadThread.h"
#include "tidewell/install/CleanupFiles.h"
#include "tidewell/updatelist/ErrorCodes.h"

namespace qv {

TDownloadEngine::TDownloadEngine(TDownloadHost& host, TInfoFile& updateInfo, std::vector<std::string>& cleanupFiles,
                                 volatile bool& stopRequested)
    : ProgramFolder(qv::ProgramFolder()),
      SelfPath(ModuleFileName()),
      host_(host),
      info_(updateInfo),
      cleanupFiles_(cleanupFiles),
      stop_(stopRequested) {
    FinishedActions.EndSession = [](UINT flags) { EndWindowsSession(flags); };
    FinishedActions.RestartSelf = [this] { RestartSelf(); };
    // The session ends after this entry: nothing further is downloaded.
    FinishedActions.SelfClose = [this] {
        stop_ = true;
        host_.TerminateApplication();
    };
}

TDownloadEngine::~TDownloadEngine() {
    RemoveQueuedCalls(this);
    if (thread_ && thread_->Started() && !thread_->Finished()) {
        thread_->Terminate();
        thread_->AbortTransfer();
        thread_->ResumeTransfer();
    }
    thread_.reset();  // waits for it
}

const TFile& TDownloadEngine::CurrentFile() const { return *info_.Files.at(static_cast<size_t>(CurrentIndex - 1)); }

void TDownloadEngine::StartDownloads() {
    uint64_t sum = 0;
    for (size_t i = 0; i < info_.Files.size(); ++i)
        if (host_.IsEntryChecked(i) && info_.Files[i]->FileSize > 0) sum += static_cast<uint64_t>(info_.Files[i]->FileSize);
    TotalSize = static_cast<uint32_t>(2 * sum);
    CurrentIndex = 0;
    StartNextDownload();
}

void TDownloadEngine::StartNextDownload() {
    ++CurrentIndex;
    if (!stop_) {
        for (; CurrentIndex <= static_cast<int>(info_.Files.size()); ++CurrentIndex) {
            if (!host_.IsEntryChecked(static_cast<size_t>(CurrentIndex - 1))) continue;
            thread_.reset();  // the previous one has ended
            paused_ = false;
            try {
                thread_ = std::make_unique<TDownloadThread>(*this);
            } catch (const std::exception&) {
                host_.ReportError(ErtdMessage(TErtd::E813));  // no worker, no connection
                return;
            }
            thread_->SetServer(Server);
            thread_->SetFile(CurrentFile());
            thread_->SetProxy(host_.ProxySettings());
            // The worker waits for OnTerminate; the installation runs after it, from the queue.
            thread_->OnTerminate = [this](TThread* t) {
                Queue([this, t] { DownloadEnded(static_cast<TDownloadThread*>(t)); }, this);
            };
            thread_->Start();
            return;
        }
    }
    if (host_.SilentMode())
        host_.CloseMainWindow();
    else
        host_.ShowPage(5);
}

void TDownloadEngine::DownloadEnded(TDownloadThread* thread) {
    if (thread != thread_.get() || !thread->Completed()) return;  // an error or a stop: nothing to install
    paused_ = false;
    DownloadStream = thread->TakeStream();
    InstallDownloadedFile();
}

void TDownloadEngine::ShowDownloadProgress() {
    const TFile& f = CurrentFile();
    host_.SetProgressLine(ProgressLine(ProgressVerb, f.ProductName, BytesDone, f.FileSize));
    host_.SetFileBar(FilePercent);
    host_.SetTotalBar(TotalPercent);
    lastHint_ = ProgressHint(ProgressVerb, TotalPercent);
    if (paused_) lastHint_ += " - Paused";  // figures handed over just before the pause
    host_.SetTrayHint(lastHint_);
}

void TDownloadEngine::ShowRunningMessage() {
    if (RunningMessage.empty()) return;
    inRunningMessage_ = true;
    try {
        host_.ShowInformation(RunningMessage);
    } catch (...) {
        inRunningMessage_ = false;
        throw;
    }
    inRunningMessage_ = false;
}

void TDownloadEngine::Pause1Click() {
    if (!thread_ || !thread_->Transferring()) return;  // nothing started, or the file is in
    if (paused_) {
        thread_->ResumeTransfer();
        paused_ = false;
        host_.SetPauseCaption("&Pause");
    } else {
        thread_->PauseTransfer();
        paused_ = true;
        host_.SetPauseCaption("&Resume");
        lastHint_ += " - Paused";
        host_.SetTrayHint(lastHint_);
    }
}

bool TDownloadEngine::WaitForWorker(DWORD limitMs) {
    DWORD start = GetTickCount();
    HANDLE h = thread_->Handle();
    while (!thread_->Finished()) {
        if (GetTickCount() - start >= limitMs) return false;
        MsgWaitForMultipleObjects(1, &h, FALSE, 50, QS_ALLINPUT);
        CheckSynchronize();
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(msg.wParam));  // for the loop that owns it
                return false;
            }
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    return true;
}

void TDownloadEngine::Stop() {
    if (!thread_ || !thread_->Started() || thread_->Finished()) return;
    bool transferring = thread_->Transferring();
    thread_->Terminate();
    thread_->AbortTransfer();
    thread_->ResumeTransfer();
    paused_ = false;
    stopping_ = true;
    if (transferring) host_.ShowCloseForm();
    // The worker may be waiting for the running-programs box that this very call sits above;
    // it then ends with the process, having written nothing.
    if (!inRunningMessage_) WaitForWorker(10000);
}

void TDownloadEngine::RestartSelf() {
    ShellExecuteA(host_.OwnerWindow(), "open", SelfPath.c_str(),
                  RestartParameter.empty() ? nullptr : RestartParameter.c_str(), nullptr, SW_SHOWNORMAL);
    stop_ = true;
    if (thread_) thread_->Terminate();
    DeleteCleanupFiles(cleanupFiles_);
    host_.TerminateApplication();
}

void TDownloadEngine::RunFinishedActions(const std::string& keywords) { qv::RunFinishedActions(keywords, FinishedActions); }

}  // namespace qv
