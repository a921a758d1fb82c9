#include "common/ui/ImageList.h"

#include "common/core/OSError.h"

namespace qv::ui {

TImageList::TImageList(std::string name, int width, int height) : name_(std::move(name)) {
    handle_ = ImageList_Create(width, height, ILC_COLOR32 | ILC_MASK, 4, 4);
    if (!handle_) RaiseLastOSError();
}

TImageList::~TImageList() { ImageList_Destroy(handle_); }

int TImageList::Add(HICON icon) {
    if (!icon) return -1;
    return ImageList_AddIcon(handle_, icon);
}

int TImageList::Count() const { return ImageList_GetImageCount(handle_); }

void TImageList::Delete(int i) {
    if (i >= 0 && i < Count()) ImageList_Remove(handle_, i);
}

void TImageList::Clear() { ImageList_Remove(handle_, -1); }

HICON TImageList::GetIcon(int i) const {
    if (i < 0 || i >= Count()) return nullptr;
    return ImageList_GetIcon(handle_, i, ILD_NORMAL);
}

}  // namespace qv::ui
