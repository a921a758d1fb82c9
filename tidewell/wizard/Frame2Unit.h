// Page 2: the search for updates, with its status line.
#pragma once
#include "common/ui/ProgressBar.h"
#include "tidewell/wizard/Frames.h"

namespace qv {

class TFrame2 : public TWizardFrame {
public:
    explicit TFrame2(ui::TWinControl* parent);
    ui::TLabel* Label1;
    ui::TLabel* Label3;
    ui::TProgressBar* ProgressBar1;  // 0-100, with its percentage
};

}  // namespace qv
