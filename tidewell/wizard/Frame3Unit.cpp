#include "tidewell/wizard/Frame3Unit.h"

namespace qv {

using namespace ui;

TFrame3::TFrame3(TWinControl* parent) : TWizardFrame(parent, "Frame3") {
    Label1 = AddHeading("Label1",
                        "Tidewell found the following Quorvane components updates available for immediate download",
                        12);
    CheckListBox1 = Add<TCheckListBox>("CheckListBox1", 12, 48, kPageWidth - 24, 108);
    RichEdit1 = Add<TEdit>("RichEdit1", 12, 162, kPageWidth - 24, 60, false);
    RichEdit1->SetMultiLine(true);
    RichEdit1->SetReadOnly(true);
    RichEdit1->SetColor(clBtnFace);
    RichEdit1->SetEnabled(false);
    Label2 = AddText("Label2",
                     "Please select from above components you wish to download and install and click Install to "
                     "start.",
                     230, 30);
}

}  // namespace qv
