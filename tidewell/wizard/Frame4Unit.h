// Page 4: the downloads and their installation.
#pragma once
#include "tidewell/wizard/Frames.h"

namespace qv {

class TFrame4 : public TWizardFrame {
public:
    explicit TFrame4(ui::TWinControl* parent);
    ui::TLabel* Label1;
    ui::TLabel* Label2;
    ui::TEdit* RichEdit1;
};

}  // namespace qv
