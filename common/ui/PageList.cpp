#include "common/ui/PageList.h"

namespace qv::ui {

TPageList::TPageList(TWinControl* parent, std::string name, int left, int top, int width, int height)
    : TWinControl(parent, std::move(name)) {
    InitBounds(left, top, width, height);
    CreateContainer(WS_VISIBLE, 0);
}

TPanel* TPageList::AddPage(const std::string& name) {
    TPanel* p = Add<TPanel>(name);
    p->SetBounds(0, 0, width_, height_);
    pages_.push_back(p);
    if (active_ < 0) {
        active_ = 0;
    } else {
        p->SetVisible(false);
    }
    return p;
}

TPanel* TPageList::Page(int index) const {
    return index >= 0 && index < PageCount() ? pages_[static_cast<size_t>(index)] : nullptr;
}

void TPageList::SetActivePageIndex(int index) {
    if (index < 0 || index >= PageCount() || index == active_) return;
    // Show the new page before hiding the old one, so that nothing behind them flashes.
    pages_[static_cast<size_t>(index)]->SetVisible(true);
    if (TPanel* old = Page(active_)) old->SetVisible(false);
    active_ = index;
    if (OnChange) OnChange(this);
}

}  // namespace qv::ui
