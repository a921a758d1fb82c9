// One owning wrapper per kind of system handle: not copyable, movable, and both NULL and
// INVALID_HANDLE_VALUE mean "none" for kernel handles.
#pragma once
#include <windows.h>
#include <utility>

namespace qv {

template <class Traits>
class UniqueHandle {
public:
    using Type = typename Traits::Type;
    UniqueHandle() noexcept : h_(Traits::None()) {}
    explicit UniqueHandle(Type h) noexcept : h_(h) {}
    ~UniqueHandle() { reset(); }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& o) noexcept : h_(o.release()) {}
    UniqueHandle& operator=(UniqueHandle&& o) noexcept {
        if (this != &o) reset(o.release());
        return *this;
    }
    Type get() const noexcept { return h_; }
    bool valid() const noexcept { return Traits::Valid(h_); }
    explicit operator bool() const noexcept { return valid(); }
    Type release() noexcept { Type h = h_; h_ = Traits::None(); return h; }
    void reset(Type h = Traits::None()) noexcept {
        if (Traits::Valid(h_)) Traits::Close(h_);
        h_ = h;
    }
    // For APIs that return the handle through a pointer.
    Type* put() noexcept { reset(); return &h_; }

private:
    Type h_;
};

struct KernelHandleTraits {
    using Type = HANDLE;
    static Type None() { return nullptr; }
    static bool Valid(Type h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void Close(Type h) { ::CloseHandle(h); }
};
struct RegKeyTraits {
    using Type = HKEY;
    static Type None() { return nullptr; }
    static bool Valid(Type h) { return h != nullptr; }
    static void Close(Type h) { ::RegCloseKey(h); }
};
struct GdiObjectTraits {
    using Type = HGDIOBJ;
    static Type None() { return nullptr; }
    static bool Valid(Type h) { return h != nullptr; }
    static void Close(Type h) { ::DeleteObject(h); }
};
struct IconTraits {
    using Type = HICON;
    static Type None() { return nullptr; }
    static bool Valid(Type h) { return h != nullptr; }
    static void Close(Type h) { ::DestroyIcon(h); }
};
struct ModuleTraits {
    using Type = HMODULE;
    static Type None() { return nullptr; }
    static bool Valid(Type h) { return h != nullptr; }
    static void Close(Type h) { ::FreeLibrary(h); }
};

using KernelHandle = UniqueHandle<KernelHandleTraits>;   // processes, threads, events, files, snapshots
using RegKey = UniqueHandle<RegKeyTraits>;
using GdiObject = UniqueHandle<GdiObjectTraits>;
using IconHandle = UniqueHandle<IconTraits>;
using LoadedModule = UniqueHandle<ModuleTraits>;

}  // namespace qv
