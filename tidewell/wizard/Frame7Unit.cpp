#include "tidewell/wizard/Frame7Unit.h"

namespace qv {

TFrame7::TFrame7(ui::TWinControl* parent) : TWizardFrame(parent, "Frame7") {
    Label1 = AddHeading("Label1", "An error has occured.", 12, 16);
    Label2 = AddText("Label2", "Error text", 44, 200);
}

}  // namespace qv
