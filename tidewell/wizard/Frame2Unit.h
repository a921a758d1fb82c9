// Page 2: the search for updates, with its status line.
#pragma once
#include "tidewell/wizard/Frames.h"

namespace qv {

class TFrame2 : public TWizardFrame {
public:
    explicit TFrame2(ui::TWinControl* parent);
    ui::TLabel* Label1;
    ui::TLabel* Label3;
};

}  // namespace qv
