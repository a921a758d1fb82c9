#include "tidewell/updatelist/ConnectionThread.h"

#include <algorithm>
#include <cstdint>

#include "common/core/Rounding.h"
#include "tidewell/proxy/ApplyProxy.h"
#include "tidewell/proxy/ConfigureForm.h"
#include "tidewell/record/SessionRecord.h"
#include "tidewell/updatelist/ErrorCodes.h"
#include "tidewell/updatelist/UpdateServer.h"
#include "tidewell/wizard/MainUnit.h"

namespace qv {

std::atomic<int> TConnectionThread::alive_{0};

TConnectionThread::TConnectionThread(TMainForm& form, TProxyState proxy) : form_(form), proxy_(std::move(proxy)) {
    ++alive_;
}

TConnectionThread::~TConnectionThread() { --alive_; }

void TConnectionThread::SetStatus(const std::string& text) {
    Queue([form = &form_, text] { form->Frame2->Label3->SetCaption(text); });
}

void TConnectionThread::SetProgress(int position) {
    Queue([form = &form_, position] { form->SetSearchProgress(position); });
}

void TConnectionThread::ReportError(const std::string& message) {
    RecordSessionResult(SessionErrorText(message));
    try {
        Synchronize([this, &message] {
            form_.Frame7->Label2->SetCaption(message);
            form_.PendingPage = 7;
            form_.GoToPendingPage();
        });
    } catch (const std::exception&) {
        // The main thread has gone (the program is ending): there is no page left to show.
    }
}

void TConnectionThread::Execute() {
    THttpClient client;
    client.SetTimeouts(timeouts_);
    ApplyProxySettings(proxy_, client);
    int32_t listLength = 0;
    client.OnStatus = [this](THttpStatus, const std::string&) { SetStatus("Connecting..."); };
    client.OnWork = [this, &listLength](int64_t received, int64_t) {
        SetStatus("Checking for updates...");
        // Without a length from the server the bar waits at 25 until the list is read.
        if (listLength > 0) {
            int64_t part = RoundHalfEven(static_cast<double>(received) / listLength * 25.0);
            SetProgress(25 + static_cast<int>(std::min<int64_t>(part, 25)));
        }
    };

    try {
        client.Connect(server_);
    } catch (const std::exception&) {
        ReportError(ErtdMessage(TErtd::E655));
        return;
    }
    SetProgress(25);
    const std::string url = server_ + kUpdateListPath;
    try {
        THttpResponse head = client.Head(url);
        listLength = head.ContentLength > 0 && head.ContentLength <= INT32_MAX ? static_cast<int32_t>(head.ContentLength)
                                                                              : 0;
    } catch (const std::exception&) {
        ReportError(ErtdMessage(TErtd::E671));
        return;
    }
    TMemorySink list(kListSizeLimit);
    try {
        client.Get(url, list);
        SetStatus("Processing List");
        Synchronize([this, &list, listLength] {
            form_.ListLength = listLength;
            form_.ListStream = list.Data();
            form_.ProcessUpdateList();
        });
    } catch (const EThread&) {
        // The main thread has gone while the list was on its way: nobody is left to tell.
    } catch (const std::exception&) {
        ReportError(ErtdMessage(TErtd::E683));
    }
}

void StartConnectionThread(TMainForm& form, const std::string& server) {
    auto* worker = new TConnectionThread(form, form.ConfigureForm().ProxyState());
    worker->SetServer(server);
    worker->FreeOnTerminate = true;
    worker->Start();
}

}  // namespace qv
