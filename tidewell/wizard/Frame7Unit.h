// Page 7: the error page; Label2 receives the error message.
#pragma once
#include "tidewell/wizard/Frames.h"

namespace qv {

class TFrame7 : public TWizardFrame {
public:
    explicit TFrame7(ui::TWinControl* parent);
    ui::TLabel* Label1;
    ui::TLabel* Label2;
};

}  // namespace qv
