#include "tidewell/wizard/Frame5Unit.h"

namespace qv {

TThanksFrame::TThanksFrame(ui::TWinControl* parent, std::string name) : TWizardFrame(parent, std::move(name)) {
    Label1 = AddHeading("Label1", "Thank you for using Quorvane - Tidewell", 12, 16);
    Label2 = AddText("Label2",
                     "Quorvane components installed on your computer are currently up-to-date. Please remember to "
                     "check for new updates frequently.",
                     44, 48);
}

}  // namespace qv
