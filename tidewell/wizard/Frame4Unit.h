// Page 4: the downloads and their installation.
#pragma once
#include "common/ui/ProgressBar.h"
#include "tidewell/wizard/Frames.h"

namespace qv {

class TFrame4 : public TWizardFrame {
public:
    explicit TFrame4(ui::TWinControl* parent);
    ui::TLabel* Label1;
    ui::TProgressBar* ProgressBar1;  // the current file, 0-100
    ui::TLabel* Label2;
    ui::TProgressBar* ProgressBar2;  // the whole session, 0-100
    ui::TEdit* RichEdit1;
};

}  // namespace qv
