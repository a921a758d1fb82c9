// Page 3: the offered updates to choose from, with the chosen entry's description.
#pragma once
#include "common/ui/ExtCtrls.h"
#include "tidewell/wizard/Frames.h"

namespace qv {

class TFrame3 : public TWizardFrame {
public:
    explicit TFrame3(ui::TWinControl* parent);
    ui::TLabel* Label1;
    ui::TCheckListBox* CheckListBox1;  // line i: UpdateInfo->Files[i]
    ui::TEdit* RichEdit1;
    ui::TLabel* Label2;
};

}  // namespace qv
