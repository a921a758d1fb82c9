// The download session of the wizard's page 4: the ticked entries one after another, each
// fetched by its own TDownloadThread into a "~" file beside its destination and then installed
// on the main thread (InstallDownloadedFile), which starts the next one.
//
// The wizard owns one engine and implements TDownloadHost; it calls StartDownloads on entering
// page 4, Stop from Cancel and "&Stop and Exit" (after setting its stop flag), Pause1Click from
// the tray menu's "&Pause".
#pragma once
#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "common/core/Handles.h"
#include "tidewell/download/DownloadHost.h"
#include "tidewell/install/FinishedActions.h"
#include "tidewell/versions/InfoFileUnit.h"

namespace qv {

class TDownloadThread;

class TDownloadEngine {
public:
    // All four outlive the engine. stopRequested is the wizard's flag: set by Cancel and Stop and
    // Exit, cleared by each worker when it starts, set by a self restart.
    TDownloadEngine(TDownloadHost& host, TInfoFile& updateInfo, std::vector<std::string>& cleanupFiles,
                    volatile bool& stopRequested);
    // Stops a running worker and waits for it.
    ~TDownloadEngine();
    TDownloadEngine(const TDownloadEngine&) = delete;
    TDownloadEngine& operator=(const TDownloadEngine&) = delete;

    std::string Server;         // the update server's base address, handed to each worker
    std::string ProgramFolder;  // where destinations lie; the updater's folder
    std::string SelfPath;       // the updater's executable

    // Entering page 4: the session total from the lines ticked now, then the first download.
    void StartDownloads();
    // The next ticked entry's worker, or the end of the session (page 5; the updater closes in
    // unattended mode). Nothing more starts once the stop flag is set.
    void StartNextDownload();
    // Page 4's line and bars and the icon's hint from ProgressVerb, BytesDone and the percentages.
    void ShowDownloadProgress();
    // The "components are running" box, when RunningMessage is set.
    void ShowRunningMessage();

    // Puts the finished download of the current entry in place (see docs/updater.md).
    void InstallDownloadedFile();
    // Moves the running updater aside to "~t~" + its name and keeps the quoted path for the restart.
    void PrepareSelfReplace();
    // Starts the updater again with RestartParameter, stops the session, deletes the cleanup
    // files and tells the application to end.
    void RestartSelf();
    void RunFinishedActions(const std::string& keywords);

    // The tray menu's "&Pause": pauses or resumes the transfer of the current file; nothing
    // while no transfer runs.
    void Pause1Click();
    bool Paused() const { return paused_; }
    // Cancel / Stop and Exit, after the stop flag is set: ends a running worker (its partial
    // temporary file is deleted), showing "Please wait..." while a transfer shuts down.
    void Stop();

    // Session state, as the wizard and the tests see it.
    int CurrentIndex = 0;          // 1-based entry in work; 0 before the first
    uint32_t TotalSize = 0;        // twice the ticked entries' sizes
    uint32_t TotalDone = 0;        // twice the sizes installed so far
    int64_t BytesDone = 0;
    int FilePercent = 0;
    int TotalPercent = 0;
    std::string ProgressVerb;
    std::string RunningMessage;
    std::string ProgramToRestart;
    std::string RestartParameter;
    KernelHandle DownloadStream;   // the finished temporary file, until it is installed
    TDownloadThread* DownloadThread() const { return thread_.get(); }

    // The actions of the post-install keywords; tests may replace them.
    TFinishedActions FinishedActions;

    TDownloadHost& Host() { return host_; }
    volatile bool& StopFlag() { return stop_; }

private:
    friend class TDownloadThread;
    const TFile& CurrentFile() const;
    void DownloadEnded(TDownloadThread* thread);
    // Puts the previous file back where a failed installation left its destination.
    void RestorePrevious(const std::string& dest, const std::string& aside);
    bool WaitForWorker(DWORD limitMs);

    TDownloadHost& host_;
    TInfoFile& info_;
    std::vector<std::string>& cleanupFiles_;
    volatile bool& stop_;
    std::unique_ptr<TDownloadThread> thread_;
    std::string lastHint_;
    bool paused_ = false;
    bool inRunningMessage_ = false;
    bool stopping_ = false;
};

}  // namespace qv
