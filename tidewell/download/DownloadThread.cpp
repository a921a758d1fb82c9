#include "tidewell/download/DownloadThread.h"

#include "common/core/Paths.h"
#include "tidewell/download/DownloadEngine.h"
#include "tidewell/download/DownloadPaths.h"
#include "tidewell/download/DownloadProgress.h"
#include "tidewell/download/RunningPrograms.h"
#include "tidewell/proxy/ApplyProxy.h"

namespace qv {

TDownloadThread::TDownloadThread(TDownloadEngine& engine) : engine_(engine) {}

// Cancel sets the wizard's flag after this worker may already have cleared it, so the engine's
// stop request on the thread counts as well.
bool TDownloadThread::StopSeen() const { return engine_.StopFlag() || Terminated(); }

// The error step on the main thread; a stopped session reports nothing (Cancel is no error).
void TDownloadThread::Fail(TErtd code, const std::string& productName) {
    DropTemporaryFile();
    if (StopSeen()) return;
    std::string message = ErtdMessage(code, productName);
    try {
        Synchronize([this, message] { engine_.Host().ReportError(message); });
    } catch (const EThread&) {
        // the main thread is gone: the updater is ending anyway
    }
}

void TDownloadThread::DropTemporaryFile() {
    if (!stream_) return;
    stream_.reset();
    DeleteFileA(tempPath_.c_str());
}

void TDownloadThread::DownloadWork(int64_t received) {
    if (StopSeen()) {
        client_.Abort();
        return;
    }
    // Handed over without waiting, and at most one at a time: the main thread always shows the
    // latest figures, and the transfer never waits for the window.
    latestReceived_ = received;
    if (progressPending_.exchange(true)) return;
    Queue([this] {
        progressPending_ = false;
        const int64_t now = latestReceived_;
        TDownloadEngine& e = engine_;
        e.FilePercent = ProgressPercent(static_cast<double>(now), file_->FileSize);
        e.BytesDone = now;
        e.TotalPercent = ProgressPercent(static_cast<double>(now) + e.TotalDone, e.TotalSize);
        e.ShowDownloadProgress();
    });
}

void TDownloadThread::Execute() {
    try {
        Work();
    } catch (const EThread&) {
        // the main thread has shut the hand-over down: the updater is ending
        DropTemporaryFile();
    }
}

void TDownloadThread::Work() {
    engine_.StopFlag() = false;
    const TFile& f = *file_;
    ApplyProxySettings(proxy_, client_);
    client_.OnWork = [this](int64_t received, int64_t) { DownloadWork(received); };
    client_.OnStatus = nullptr;

    try {
        client_.Connect(server_);
    } catch (const std::exception&) {
        return Fail(TErtd::E813);
    }
    // A destination that climbs out of the program folder is refused before anything is
    // closed, created or written.
    if (LeavesFolder(f.DestFile, engine_.ProgramFolder)) return Fail(TErtd::E898);

    if (IsProgramRunning(ExtractFileName(f.DestFile))) {
        Synchronize([this] {
            engine_.RunningMessage = kRunningMessageText;
            engine_.ShowRunningMessage();
        });
        if (StopSeen()) return;
        std::string program = DestinationPath(f.DestFile, engine_.ProgramFolder);
        Synchronize([this, program] { engine_.ProgramToRestart = program; });
        if (!TerminateProgram(ExtractFileName(program))) return Fail(TErtd::E835, f.ProductName);
    }

    Synchronize([this, &f] {
        engine_.Host().SetFileBar(0);
        engine_.Host().SetDescription(f.Description);
    });

    THttpResponse head;
    try {
        head = client_.Head(f.FilePath);
    } catch (const std::exception&) {
        return Fail(TErtd::E865);
    }

    tempPath_ = PrefixFileName(DestinationPath(f.DestFile, engine_.ProgramFolder), "~");
    stream_.reset(CreateFileA(tempPath_.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!stream_) return Fail(TErtd::E898);

    Synchronize([this] {
        engine_.cleanupFiles_.push_back(tempPath_);
        engine_.ProgressVerb = kDownloadingVerb;
    });

    TFileSink sink(stream_.get());
    transferring_ = true;
    bool received = false;
    try {
        client_.Get(f.FilePath, sink);
        received = true;
    } catch (const std::exception&) {
    }
    transferring_ = false;
    if (StopSeen()) {
        // A stopped transfer installs nothing and leaves no partial file behind.
        DropTemporaryFile();
        try {
            Queue([this] {
                if (!engine_.stopping_) engine_.Host().ShowCloseForm();  // Stop shows it itself
                engine_.Host().TerminateApplication();
            });
        } catch (const EThread&) {
        }
        return;
    }
    // A body that stops short of what the server announced or the list promised is no update.
    if (!received || (head.HasContentLength() && sink.Written() < head.ContentLength) ||
        (f.FileSize > 0 && sink.Written() < f.FileSize))
        return Fail(TErtd::E886);
    completed_ = true;
}

}  // namespace qv
