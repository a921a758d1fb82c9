#include "tidewell/wizard/Frame4Unit.h"

namespace qv {

using namespace ui;

TFrame4::TFrame4(TWinControl* parent) : TWizardFrame(parent, "Frame4") {
    Label1 = Add<TLabel>("Label1", "Downloading", 12, 20, kPageWidth - 24, 13);
    Label2 = Add<TLabel>("Label2", "Total Progress", 12, 76);
    RichEdit1 = Add<TEdit>("RichEdit1", 12, 132, kPageWidth - 24, 100, false);
    RichEdit1->SetMultiLine(true);
    RichEdit1->SetReadOnly(true);
    RichEdit1->SetColor(clBtnFace);
}

}  // namespace qv
