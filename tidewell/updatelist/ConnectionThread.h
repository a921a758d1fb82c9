// The update-list worker: connects to the update server, asks for the list's size, fetches the
// list into memory and has the main thread read it while it waits. Every failure ends the check
// with one error code; the worker never touches a window itself.
#pragma once
#include <atomic>
#include <string>

#include "common/http/HttpClient.h"
#include "common/thread/Thread.h"
#include "tidewell/proxy/ProxyState.h"

namespace qv {

class TMainForm;

// More than any update list needs; a server that sends without end fails the request.
inline constexpr size_t kListSizeLimit = 8 * 1024 * 1024;

class TConnectionThread : public TThread {
public:
    // proxy: the settings dialog's live state, taken on the main thread by the creator.
    TConnectionThread(TMainForm& form, TProxyState proxy);
    ~TConnectionThread() override;
    void SetServer(const std::string& address) { server_ = address; }
    void SetTimeouts(const THttpTimeouts& timeouts) { timeouts_ = timeouts; }
    // Update-list workers that exist now (created and not yet freed).
    static int Alive() noexcept { return alive_.load(); }

protected:
    void Execute() override;

private:
    // The worker's error step: record it, then have the main thread put it on page 7.
    void ReportError(const std::string& message);
    void SetStatus(const std::string& text);
    void SetProgress(int position);

    TMainForm& form_;
    TProxyState proxy_;
    std::string server_;
    THttpTimeouts timeouts_;
    static std::atomic<int> alive_;
};

// Page 2's entry action (and -S at once): a worker for server, made on the main thread with the
// settings dialog's state, freeing itself when it ends.
void StartConnectionThread(TMainForm& form, const std::string& server);

}  // namespace qv
