#include "quorvane/memory/RelThrd.h"

#include "common/ui/Dialogs.h"
#include "quorvane/memory/ProgressBarFrm.h"
#include "quorvane/memory/WashCore.h"

namespace qv {

TCriticalSection WashLock;

TRelocateThread::TRelocateThread(ui::TForm* mainWindow, TProgressFrm* progress, int32_t n)
    : main_(mainWindow), progress_(progress), n_(n) {}

// On the UI thread: the progress window now reports this wash, and Cancel stops it.
void TRelocateThread::TakeProgressWindow(bool resetBar) {
    progress_->OnCancel = [this](ui::TControl*) { Terminate(); };
    main_->SetEnabled(false);
    if (resetBar) progress_->RzProgressBar1->SetPartsComplete(0);
    if (!progress_->Visible() || progress_->ClosingByProgram) progress_->ShowByProgram();
}

void TRelocateThread::Execute() {
    bool silent = true;
    Synchronize([&] { silent = !progress_ || !main_->Visible(); });

    if (!silent) {
        // A wash already showing the window keeps it (and its Cancel) until it ends; this
        // one takes the window over once it holds the lock.
        Synchronize([&] {
            if (progress_->Visible() && !progress_->ClosingByProgram)
                main_->SetEnabled(false);
            else
                TakeProgressWindow(true);
        });
    }

    TScopedLock hold(WashLock);
    if (!silent) {
        Synchronize([&] {
            // Cancelled while waiting: the window stays closed, the one block is still claimed.
            if (Terminated())
                main_->SetEnabled(false);
            else
                TakeProgressWindow(false);
            progress_->RzProgressBar1->SetTotalParts(n_ > 0 ? 2 * n_ : 0);
        });
    }

    TWashSteps steps;
    steps.StopRequested = [this] { return Terminated(); };
    if (!silent) {
        TProgressFrm* p = progress_;
        auto step = [this, p](int, void*) { Queue([p] { p->RzProgressBar1->IncPartsByOne(); }); };
        steps.Claimed = step;
        steps.Released = step;
    }
    steps.ReleaseFailed = [this](const std::string& message) {
        Synchronize([&] { ui::MessageDlg(message, ui::TMsgDlgType::Error, ui::mbOK); });
    };
    WashBlocks(n_, steps);

    Synchronize([&] { main_->SetEnabled(true); });
    if (!silent) {
        Synchronize([&] {
            progress_->CloseByProgram();
            progress_->OnCancel = nullptr;  // this object is about to go
        });
    }
}

}  // namespace qv
