// A list of text lines, one selectable at a time.
#pragma once
#include <string>
#include <vector>

#include "common/ui/Control.h"

namespace qv::ui {

class TListBox : public TControl {
public:
    TListBox(TWinControl* parent, std::string name, int left, int top, int width, int height, bool border = true);
    void AddItem(const std::string& text);
    void SetItems(const std::vector<std::string>& lines);
    void Clear();
    int Count() const;
    std::string Item(int i) const;
    int ItemIndex() const;  // -1: none selected
    void SetItemIndex(int i);
    TNotifyEvent OnChange;  // the user selected another line
    bool HandleCommand(WORD code) override;
};

}  // namespace qv::ui
