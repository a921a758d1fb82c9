// One entry's download: connect, close the running program it replaces, HEAD, the "~" file,
// GET into it. Reports its own errors through the engine's host on the main thread.
#pragma once
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <string>

#include "common/core/Handles.h"
#include "common/http/HttpClient.h"
#include "common/thread/Thread.h"
#include "tidewell/proxy/ProxyState.h"
#include "tidewell/updatelist/ErrorCodes.h"
#include "tidewell/versions/InfoFileUnit.h"

namespace qv {

class TDownloadEngine;

class TDownloadThread : public TThread {
public:
    explicit TDownloadThread(TDownloadEngine& engine);

    void SetServer(const std::string& address) { server_ = address; }
    void SetFile(const TFile& file) { file_ = &file; }
    void SetProxy(const TProxyState& proxy) { proxy_ = proxy; }

    // Set when the whole file is in the temporary file (then TakeStream hands it over).
    bool Completed() const { return completed_.load(); }
    bool Transferring() const { return transferring_.load(); }
    KernelHandle TakeStream() { return std::move(stream_); }
    // Any thread: the transfer halts (or goes on); the worker waits inside the client holding nothing.
    void PauseTransfer() { client_.Pause(); }
    void ResumeTransfer() { client_.Resume(); }
    // Any thread: ends the current request at once.
    void AbortTransfer() { client_.Abort(); }

protected:
    void Execute() override;

private:
    void Work();
    bool StopSeen() const;
    void Fail(TErtd code, const std::string& productName = std::string());
    void DownloadWork(int64_t received);
    void DropTemporaryFile();

    TDownloadEngine& engine_;
    THttpClient client_;  // made with the thread, so the main thread may pause and abort it
    std::string server_;
    const TFile* file_ = nullptr;
    TProxyState proxy_;
    KernelHandle stream_;
    std::string tempPath_;
    std::atomic<bool> completed_{false};
    std::atomic<bool> transferring_{false};
    std::atomic<bool> progressPending_{false};
    std::atomic<int64_t> latestReceived_{0};
};

}  // namespace qv
