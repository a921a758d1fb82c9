// What the seven wizard pages share: a white page filling the page area, with a bold navy heading.
#pragma once
#include <string>

#include "common/ui/StdCtrls.h"

namespace qv {

class TWizardFrame : public ui::TPanel {
public:
    TWizardFrame(ui::TWinControl* parent, std::string name);

protected:
    // A bold navy heading, word-wrapped across the page.
    ui::TLabel* AddHeading(const std::string& name, const std::string& text, int top, int height = 30);
    // A plain word-wrapped paragraph.
    ui::TLabel* AddText(const std::string& name, const std::string& text, int top, int height);
};

// A text for the pages' description boxes: multi-line edits, which break lines only at CR LF.
std::string WithCrLf(const std::string& text);

inline constexpr int kPageWidth = 377;
inline constexpr int kPageHeight = 275;

}  // namespace qv
