#include "tidewell/wizard/Frame4Unit.h"

namespace qv {

using namespace ui;

TFrame4::TFrame4(TWinControl* parent) : TWizardFrame(parent, "Frame4") {
    Label1 = Add<TLabel>("Label1", "Downloading", 12, 20, kPageWidth - 24, 13);
    ProgressBar1 = Add<TProgressBar>("ProgressBar1", 12, 42, kPageWidth - 24, 18);
    ProgressBar1->SetTotalParts(100);
    Label2 = Add<TLabel>("Label2", "Total Progress", 12, 76);
    ProgressBar2 = Add<TProgressBar>("ProgressBar2", 12, 96, kPageWidth - 24, 18);
    ProgressBar2->SetTotalParts(100);
    RichEdit1 = Add<TEdit>("RichEdit1", 12, 132, kPageWidth - 24, 100, false);
    RichEdit1->SetMultiLine(true);
    RichEdit1->SetReadOnly(true);
    RichEdit1->SetColor(clBtnFace);
}

}  // namespace qv
