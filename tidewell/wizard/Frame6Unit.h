// Page 6: the search found nothing newer.
#pragma once
#include "tidewell/wizard/Frame5Unit.h"

namespace qv {

class TFrame6 : public TThanksFrame {
public:
    explicit TFrame6(ui::TWinControl* parent) : TThanksFrame(parent, "Frame6") {}
};

}  // namespace qv
