// The navigation bar: collapsible groups stacked from the top, at most one open at a time,
// each holding items with a caption and a click handler. Painted by the bar itself; clicking a
// closed group's header opens it (closing the open one), clicking the open one's header closes it.
#pragma once
#include "common/ui/Control.h"

namespace qv::ui {

class TGroupBar;

struct TGroupBarItem {
    std::string Name;
    std::string Caption;
    COLORREF GlyphColor = RGB(0, 102, 204);  // the small square drawn before the caption
    std::function<void(TGroupBarItem* sender)> OnClick;
};

class TGroupBarGroup {
public:
    TGroupBarGroup(TGroupBar* bar, std::string name, std::string caption);
    const std::string& Name() const { return name_; }
    const std::string& Caption() const { return caption_; }
    TGroupBarItem* AddItem(const std::string& name, const std::string& caption,
                           std::function<void(TGroupBarItem*)> onClick = nullptr);
    int ItemCount() const { return static_cast<int>(items_.size()); }
    TGroupBarItem* Item(int i) const;

private:
    TGroupBar* bar_;
    std::string name_, caption_;
    std::vector<std::unique_ptr<TGroupBarItem>> items_;
};

class TGroupBar : public TWinControl {
public:
    TGroupBar(TWinControl* parent, std::string name, int left, int top, int width, int height);
    ~TGroupBar() override;

    TGroupBarGroup* AddGroup(const std::string& name, const std::string& caption);
    int GroupCount() const { return static_cast<int>(groups_.size()); }
    TGroupBarGroup* Group(int i) const;
    TGroupBarGroup* FindGroup(const std::string& name) const;
    // -1: every group closed. An index outside the groups closes them all.
    int OpenGroupIndex() const { return open_; }
    void SetOpenGroup(int index);
    TGroupBarItem* FindItem(const std::string& name) const;

    // Where the bar draws a group's header and an item (client coordinates); an item of a closed
    // group has an empty rectangle.
    RECT HeaderRect(int group) const;
    RECT ItemRect(int group, int item) const;

    COLORREF HeaderColor = RGB(24, 74, 140);
    COLORREF HeaderColor2 = RGB(74, 140, 214);
    COLORREF ItemTextColor = RGB(16, 48, 112);

protected:
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;
    void Paint(HDC dc, const RECT& client) override;

private:
    friend class TGroupBarGroup;
    void HitTest(POINT p, int& group, int& item) const;
    void PaintHeader(HDC dc, int g, const RECT& r) const;
    std::vector<std::unique_ptr<TGroupBarGroup>> groups_;
    int open_ = -1;
    int hotGroup_ = -1, hotItem_ = -1;
};

}  // namespace qv::ui
