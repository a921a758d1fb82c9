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

std::string WithCrLf(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '\r' || c == '\n') {
            out += "\r\n";
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else {
            out += c;
        }
    }
    return out;
}

TLabel* TWizardFrame::AddText(const std::string& name, const std::string& text, int top, int height) {
    TLabel* l = Add<TLabel>(name, text, 12, top, kPageWidth - 24, height);
    l->SetWordWrap(true);
    return l;
}

}  // namespace qv
