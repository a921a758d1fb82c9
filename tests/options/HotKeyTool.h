// Drives HotKeyTool.exe, the second program of the shortcut tests.
#pragma once
#include <windows.h>

#include <string>

#include "common/core/Handles.h"
#include "quorvane/settings/AppHotKey.h"

namespace qv::test {

// Another program holding a shortcut while the object lives.
class ShortcutHolder {
public:
    explicit ShortcutHolder(TShortCut code);
    ~ShortcutHolder();
    // The other program registered the key (false: the system refused it, or it did not start).
    bool Held() const { return held_; }

private:
    KernelHandle process_, ready_, release_;
    bool held_ = false;
};

// Another program presses the key combination; true when all its key events went out.
bool SendShortcutFromAnotherProgram(TShortCut code);

}  // namespace qv::test
