#include "tidewell/wizard/Frame2Unit.h"

namespace qv {

using namespace ui;

TFrame2::TFrame2(TWinControl* parent) : TWizardFrame(parent, "Frame2") {
    Label1 = AddHeading("Label1", "Tidewell is searching now for updates. This process could take a few minutes", 12);
    Label3 = Add<TLabel>("Label3", "Connecting to zephlor update server...", 12, 110, kPageWidth - 24, 13);
    Label3->SetAlignment(TAlignment::Center);
    ProgressBar1 = Add<TProgressBar>("ProgressBar1", 12, 135, kPageWidth - 24, 18);
    ProgressBar1->SetTotalParts(100);
}

}  // namespace qv
