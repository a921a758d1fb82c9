// A report-style list view: whole-row selection, one selected row at a time, no label
// editing, the selection kept visible without the focus. Rows carry a caption (column 0),
// sub-item texts, a small image and a data pointer for their owner; a header click sorts the
// rows by that column (ascending, then descending on a second click on the same header).
#pragma once
#include "common/ui/Control.h"

#include <commctrl.h>

namespace qv::ui {

class TImageList;

// The order of rows by one column's texts: case-insensitive, empty texts after all others
// whichever the direction. Negative when a sorts before b, 0 when equal, positive after.
int CompareListTexts(const std::string& a, const std::string& b, bool ascending);

class TListView : public TControl {
public:
    TListView(TWinControl* parent, std::string name, int left, int top, int width, int height);

    // The image list stays owned by the caller and must outlive the list view's use of it.
    void SetSmallImages(TImageList* images);

    int AddColumn(const std::string& caption, int width);
    int ColumnCount() const;
    void SetColumnWidth(int column, int width);
    int ColumnWidth(int column) const;
    std::string ColumnCaption(int column) const;

    // Appends a row: texts[0] is the caption, the rest the sub-items; image -1 shows none.
    int AddItem(const std::vector<std::string>& texts, int image = -1, void* data = nullptr);
    int Count() const;
    void Delete(int row);
    void Clear();
    // Column 0 is the caption.
    std::string ItemText(int row, int column) const;
    void SetItemText(int row, int column, const std::string& text);
    int ItemImage(int row) const;
    void SetItemImage(int row, int image);
    void* Data(int row) const;
    void SetData(int row, void* data);
    // The first row whose data pointer is data; -1 when none.
    int IndexOfData(const void* data) const;

    // -1 when no row is focused / selected.
    int ItemFocused() const;
    void SetItemFocused(int row);
    int Selected() const;
    // Selects (and focuses) the row; -1 clears the selection.
    void SetSelected(int row);
    // Removes the selected row, when there is one.
    void DeleteSelected();

    // Suspends drawing while many rows change; calls nest.
    void BeginUpdate();
    void EndUpdate();

    // Sorts the rows by the column's texts; rows of equal text keep their order. The next
    // header click on the same column then sorts the other way.
    void Sort(int column, bool ascending);
    int SortColumn() const { return sortColumn_; }
    bool SortAscending() const { return sortAscending_; }

    // After the rows were sorted by a header click.
    std::function<void(TListView* sender, int column)> OnColumnClick;
    // A row became selected (selected true) or lost its selection.
    std::function<void(TListView* sender, int row, bool selected)> OnSelectItem;

    bool HandleNotify(NMHDR* nm, LRESULT& result) override;

private:
    int updates_ = 0;
    int sortColumn_ = -1;
    bool sortAscending_ = true;
};

}  // namespace qv::ui
