// A list of small images (16 x 16, 32-bit colour with a mask) that list views draw from.
// Adding an icon stores a copy: the caller keeps and frees its own icon.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <string>

namespace qv::ui {

class TImageList {
public:
    explicit TImageList(std::string name, int width = 16, int height = 16);
    ~TImageList();
    TImageList(const TImageList&) = delete;
    TImageList& operator=(const TImageList&) = delete;

    const std::string& Name() const { return name_; }
    HIMAGELIST Handle() const { return handle_; }
    // Appends a copy of the icon; returns its index, or -1 for no icon (nullptr) or a failure.
    int Add(HICON icon);
    int Count() const;
    // Removes image i; the images after it move down by one. An index out of range does nothing.
    void Delete(int i);
    void Clear();
    // A new icon made from image i (the caller destroys it); nullptr when i is out of range.
    HICON GetIcon(int i) const;

private:
    std::string name_;
    HIMAGELIST handle_;
};

}  // namespace qv::ui
