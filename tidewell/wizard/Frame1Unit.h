// Page 1: the welcome page with the installed components.
#pragma once
#include "common/ui/ListBox.h"
#include "tidewell/wizard/Frames.h"

namespace qv {

class TFrame1 : public TWizardFrame {
public:
    explicit TFrame1(ui::TWinControl* parent);
    ui::TLabel* Label1;
    ui::TGroupBox* GroupBox1;
    ui::TListBox* ListBox1;
    ui::TLabel* Label2;
};

}  // namespace qv
