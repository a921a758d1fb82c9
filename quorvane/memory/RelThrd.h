// The wash thread: one per wash, created suspended, frees itself when done. It claims and
// releases the memory (WashCore) and hands every window change to the UI thread.
#pragma once
#include <cstdint>

#include "common/thread/CriticalSection.h"
#include "common/thread/Thread.h"
#include "common/ui/Form.h"

namespace qv {

class TProgressFrm;

// Held by the one wash that is claiming or releasing memory; lives as long as the process.
extern TCriticalSection WashLock;

class TRelocateThread : public TThread {
public:
    // progress may be null: the wash then runs as it does with the main window hidden.
    TRelocateThread(ui::TForm* mainWindow, TProgressFrm* progress, int32_t n);
    int32_t N() const { return n_; }

protected:
    void Execute() override;

private:
    void TakeProgressWindow(bool resetBar);
    ui::TForm* main_;
    TProgressFrm* progress_;
    int32_t n_;
};

}  // namespace qv
