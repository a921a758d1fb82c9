#include "common/ui/ListView.h"

#include <algorithm>

#include "common/ui/ImageList.h"

namespace qv::ui {

int CompareListTexts(const std::string& a, const std::string& b, bool ascending) {
    if (a.empty() || b.empty()) return a.empty() == b.empty() ? 0 : (a.empty() ? 1 : -1);
    // The user's collation without "word sort" (which would skip hyphens and apostrophes).
    int r = CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE | SORT_STRINGSORT, a.data(),
                           static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()));
    int c = r == CSTR_LESS_THAN ? -1 : (r == CSTR_GREATER_THAN ? 1 : 0);
    return ascending ? c : -c;
}

TListView::TListView(TWinControl* parent, std::string name, int left, int top, int width, int height)
    : TControl(parent, std::move(name)) {
    InitBounds(left, top, width, height);
    // The image lists belong to their TImageList objects: the view must not destroy them.
    CreateSystemWindow(WC_LISTVIEWA, LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_SHAREIMAGELISTS | WS_TABSTOP,
                       WS_EX_CLIENTEDGE);
    SendMessageA(hwnd_, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    color_ = clWindow;
}

void TListView::SetSmallImages(TImageList* images) {
    SendMessageA(hwnd_, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(images ? images->Handle() : nullptr));
}

int TListView::AddColumn(const std::string& caption, int width) {
    LVCOLUMNA col{};
    col.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    col.pszText = const_cast<char*>(caption.c_str());
    col.cx = width;
    int index = ColumnCount();
    col.iSubItem = index;
    return static_cast<int>(SendMessageA(hwnd_, LVM_INSERTCOLUMNA, index, reinterpret_cast<LPARAM>(&col)));
}

int TListView::ColumnCount() const {
    HWND header = reinterpret_cast<HWND>(SendMessageA(hwnd_, LVM_GETHEADER, 0, 0));
    return header ? static_cast<int>(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
}

void TListView::SetColumnWidth(int column, int width) { SendMessageA(hwnd_, LVM_SETCOLUMNWIDTH, column, width); }

int TListView::ColumnWidth(int column) const {
    return static_cast<int>(SendMessageA(hwnd_, LVM_GETCOLUMNWIDTH, column, 0));
}

std::string TListView::ColumnCaption(int column) const {
    char buf[260] = "";
    LVCOLUMNA col{};
    col.mask = LVCF_TEXT;
    col.pszText = buf;
    col.cchTextMax = sizeof buf;
    if (!SendMessageA(hwnd_, LVM_GETCOLUMNA, column, reinterpret_cast<LPARAM>(&col))) return {};
    return buf;
}

int TListView::AddItem(const std::vector<std::string>& texts, int image, void* data) {
    LVITEMA item{};
    item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
    item.iItem = Count();
    std::string caption = texts.empty() ? std::string() : texts[0];
    item.pszText = const_cast<char*>(caption.c_str());
    // -1 is the system's "ask the parent" value: no image is I_IMAGENONE.
    item.iImage = image < 0 ? I_IMAGENONE : image;
    item.lParam = reinterpret_cast<LPARAM>(data);
    int row = static_cast<int>(SendMessageA(hwnd_, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    if (row < 0) return row;
    for (size_t c = 1; c < texts.size(); ++c) SetItemText(row, static_cast<int>(c), texts[c]);
    return row;
}

int TListView::Count() const { return static_cast<int>(SendMessageA(hwnd_, LVM_GETITEMCOUNT, 0, 0)); }

void TListView::Delete(int row) {
    if (row >= 0 && row < Count()) SendMessageA(hwnd_, LVM_DELETEITEM, row, 0);
}

void TListView::Clear() { SendMessageA(hwnd_, LVM_DELETEALLITEMS, 0, 0); }

std::string TListView::ItemText(int row, int column) const {
    if (row < 0 || row >= Count()) return {};
    std::string buf(256, '\0');
    for (;;) {
        LVITEMA item{};
        item.iSubItem = column;
        item.pszText = &buf[0];
        item.cchTextMax = static_cast<int>(buf.size());
        int n = static_cast<int>(SendMessageA(hwnd_, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item)));
        if (n < static_cast<int>(buf.size()) - 1) {
            buf.resize(static_cast<size_t>(n > 0 ? n : 0));
            return buf;
        }
        buf.resize(buf.size() * 2);  // the text may have been cut: try again with more room
    }
}

void TListView::SetItemText(int row, int column, const std::string& text) {
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = const_cast<char*>(text.c_str());
    SendMessageA(hwnd_, LVM_SETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
}

int TListView::ItemImage(int row) const {
    LVITEMA item{};
    item.mask = LVIF_IMAGE;
    item.iItem = row;
    if (!SendMessageA(hwnd_, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item))) return -1;
    return item.iImage < 0 ? -1 : item.iImage;
}

void TListView::SetItemImage(int row, int image) {
    LVITEMA item{};
    item.mask = LVIF_IMAGE;
    item.iItem = row;
    item.iImage = image < 0 ? I_IMAGENONE : image;
    SendMessageA(hwnd_, LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
}

void* TListView::Data(int row) const {
    LVITEMA item{};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    if (!SendMessageA(hwnd_, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item))) return nullptr;
    return reinterpret_cast<void*>(item.lParam);
}

void TListView::SetData(int row, void* data) {
    LVITEMA item{};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    item.lParam = reinterpret_cast<LPARAM>(data);
    SendMessageA(hwnd_, LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
}

int TListView::IndexOfData(const void* data) const {
    int n = Count();
    for (int i = 0; i < n; ++i)
        if (Data(i) == data) return i;
    return -1;
}

int TListView::ItemFocused() const {
    return static_cast<int>(SendMessageA(hwnd_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
}

int TListView::Selected() const {
    return static_cast<int>(SendMessageA(hwnd_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

static void SetRowState(HWND h, int row, UINT state, UINT mask) {
    LVITEMA item{};
    item.stateMask = mask;
    item.state = state;
    SendMessageA(h, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

void TListView::SetItemFocused(int row) {
    if (row < 0) {
        int f = ItemFocused();
        if (f >= 0) SetRowState(hwnd_, f, 0, LVIS_FOCUSED);
        return;
    }
    SetRowState(hwnd_, row, LVIS_FOCUSED, LVIS_FOCUSED);
}

void TListView::SetSelected(int row) {
    SetRowState(hwnd_, -1, 0, LVIS_SELECTED);
    if (row < 0 || row >= Count()) return;
    SetRowState(hwnd_, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    SendMessageA(hwnd_, LVM_ENSUREVISIBLE, row, FALSE);
}

void TListView::DeleteSelected() { Delete(Selected()); }

void TListView::BeginUpdate() {
    if (updates_++ == 0) SendMessageA(hwnd_, WM_SETREDRAW, FALSE, 0);
}

void TListView::EndUpdate() {
    if (updates_ == 0) return;
    if (--updates_ == 0) {
        SendMessageA(hwnd_, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(hwnd_, nullptr, TRUE);
    }
}

namespace {
struct SortContext {
    const std::vector<std::string>* keys;
    bool ascending;
};

// During the sort each row's data slot holds its index before the sort (see Sort).
int CALLBACK CompareRows(LPARAM a, LPARAM b, LPARAM ctx) {
    auto* c = reinterpret_cast<const SortContext*>(ctx);
    int r = CompareListTexts((*c->keys)[static_cast<size_t>(a)], (*c->keys)[static_cast<size_t>(b)], c->ascending);
    if (r != 0) return r;
    return a < b ? -1 : (a > b ? 1 : 0);
}
}  // namespace

void TListView::Sort(int column, bool ascending) {
    sortColumn_ = column;
    sortAscending_ = ascending;
    int n = Count();
    if (n < 2) return;
    // The system's sort hands the comparison only the rows' data values, which need not be
    // unique: number the rows through that slot for the sort and put the data back afterwards.
    std::vector<std::string> keys(static_cast<size_t>(n));
    std::vector<void*> data(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
        keys[static_cast<size_t>(i)] = ItemText(i, column);
        data[static_cast<size_t>(i)] = Data(i);
    }
    for (int i = 0; i < n; ++i) SetData(i, reinterpret_cast<void*>(static_cast<INT_PTR>(i)));
    SortContext ctx{&keys, ascending};
    SendMessageA(hwnd_, LVM_SORTITEMS, reinterpret_cast<WPARAM>(&ctx), reinterpret_cast<LPARAM>(CompareRows));
    for (int i = 0; i < n; ++i) {
        auto before = reinterpret_cast<INT_PTR>(Data(i));
        SetData(i, data[static_cast<size_t>(before)]);
    }
}

bool TListView::HandleNotify(NMHDR* nm, LRESULT& result) {
    switch (nm->code) {
        case LVN_COLUMNCLICK: {
            int column = reinterpret_cast<NMLISTVIEW*>(nm)->iSubItem;
            // A second click on the header of the current ascending order reverses it.
            Sort(column, !(column == sortColumn_ && sortAscending_));
            if (OnColumnClick) OnColumnClick(this, column);
            result = 0;
            return true;
        }
        case LVN_ITEMCHANGED: {
            auto* lv = reinterpret_cast<NMLISTVIEW*>(nm);
            if ((lv->uChanged & LVIF_STATE) && lv->iItem >= 0 && ((lv->uOldState ^ lv->uNewState) & LVIS_SELECTED) &&
                OnSelectItem)
                OnSelectItem(this, lv->iItem, (lv->uNewState & LVIS_SELECTED) != 0);
            return true;
        }
    }
    return false;
}

}  // namespace qv::ui
