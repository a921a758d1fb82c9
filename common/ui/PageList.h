// A page container: N pages (containers by name), exactly one visible. Changing the active
// page runs OnChange; an index outside the pages changes nothing.
#pragma once
#include "common/ui/Control.h"

namespace qv::ui {

class TPageList : public TWinControl {
public:
    TPageList(TWinControl* parent, std::string name, int left, int top, int width, int height);

    // A new page filling the container; the first one added becomes the active page.
    TPanel* AddPage(const std::string& name);
    int PageCount() const { return static_cast<int>(pages_.size()); }
    TPanel* Page(int index) const;
    TPanel* ActivePage() const { return Page(active_); }
    int ActivePageIndex() const { return active_; }
    void SetActivePageIndex(int index);

    TNotifyEvent OnChange;

private:
    std::vector<TPanel*> pages_;
    int active_ = -1;
};

}  // namespace qv::ui
