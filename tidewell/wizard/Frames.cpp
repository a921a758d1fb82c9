#include "tidewell/wizard/Frames.h"

namespace qv {

using namespace ui;

TWizardFrame::TWizardFrame(TWinControl* parent, std::string name) : TPanel(parent, std::move(name)) {
    SetColor(clWhite);
    SetBounds(0, 0, kPageWidth, kPageHeight);
}

TLabel* TWizardFrame::AddHeading(const std::string& name, const std::string& text, int top, int height) {
    TLabel* l = Add<TLabel>(name, text, 12, top, kPageWidth - 24, height);
    TFont f;
    f.Bold = true;
    f.Color = clNavy;
    l->SetFont(f);
    l->SetWordWrap(true);
    return l;
}

TLabel* TWizardFrame::AddText(const std::string& name, const std::string& text, int top, int height) {
    TLabel* l = Add<TLabel>(name, text, 12, top, kPageWidth - 24, height);
    l->SetWordWrap(true);
    return l;
}

}  // namespace qv
