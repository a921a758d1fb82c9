#include "tidewell/wizard/Frame1Unit.h"

namespace qv {

using namespace ui;

TFrame1::TFrame1(TWinControl* parent) : TWizardFrame(parent, "Frame1") {
    Label1 = AddHeading("Label1", "Welcome to Quorvane - Tidewell", 12, 16);
    GroupBox1 = Add<TGroupBox>("GroupBox1",
                               "The following products and components are installed on your computer:", 4, 40,
                               kPageWidth - 8, 168);
    ListBox1 = GroupBox1->Add<TListBox>("ListBox1", 10, 20, kPageWidth - 28, 138, false);
    Label2 = AddText("Label2",
                     "Tidewell will use the internet to search for new updates for your installed products and "
                     "components.",
                     220, 30);
}

}  // namespace qv
