// Pages 5 and 6: the session is over and everything is up to date.
#pragma once
#include "tidewell/wizard/Frames.h"

namespace qv {

class TThanksFrame : public TWizardFrame {
public:
    TThanksFrame(ui::TWinControl* parent, std::string name);
    ui::TLabel* Label1;
    ui::TLabel* Label2;
};

// Page 5: shown after the chosen updates were installed.
class TFrame5 : public TThanksFrame {
public:
    explicit TFrame5(ui::TWinControl* parent) : TThanksFrame(parent, "Frame5") {}
};

}  // namespace qv
