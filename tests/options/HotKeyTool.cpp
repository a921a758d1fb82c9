// A second program for the shortcut tests, under the same Wine prefix:
//   HotKeyTool hold CODE READY RELEASE   registers CODE for itself, signals the event READY and
//                                        keeps the key until RELEASE is signalled (at most 60 s);
//                                        exit code 2 when the system refuses the key
//   HotKeyTool send CODE                 presses and releases CODE's key combination
// CODE is a shortcut code in decimal (key | 0x2000 Shift | 0x4000 Ctrl | 0x8000 Alt).
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "quorvane/settings/AppHotKey.h"

namespace {

int Hold(qv::TShortCut code, const char* ready, const char* release) {
    HANDLE readyEvent = OpenEventA(EVENT_MODIFY_STATE, FALSE, ready);
    HANDLE releaseEvent = OpenEventA(SYNCHRONIZE, FALSE, release);
    if (!readyEvent || !releaseEvent) return 3;
    if (!RegisterHotKey(nullptr, 1, qv::SystemModifiersOf(code), qv::VirtualKeyOf(code))) return 2;
    SetEvent(readyEvent);
    WaitForSingleObject(releaseEvent, 60000);
    UnregisterHotKey(nullptr, 1);
    return 0;
}

INPUT Key(WORD vk, bool up) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.wScan = static_cast<WORD>(MapVirtualKeyA(vk, 0));
    in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    return in;
}

int Send(qv::TShortCut code) {
    const struct {
        qv::TShortCut bit;
        WORD vk;
    } modifiers[] = {{qv::scCtrl, VK_CONTROL}, {qv::scAlt, VK_MENU}, {qv::scShift, VK_SHIFT}};
    std::vector<INPUT> down, up;
    for (const auto& m : modifiers)
        if (code & m.bit) down.push_back(Key(m.vk, false)), up.insert(up.begin(), Key(m.vk, true));
    down.push_back(Key(static_cast<WORD>(qv::VirtualKeyOf(code)), false));
    up.insert(up.begin(), Key(static_cast<WORD>(qv::VirtualKeyOf(code)), true));
    down.insert(down.end(), up.begin(), up.end());
    UINT sent = SendInput(static_cast<UINT>(down.size()), down.data(), sizeof(INPUT));
    return sent == down.size() ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 5 && std::strcmp(argv[1], "hold") == 0)
        return Hold(static_cast<qv::TShortCut>(std::atoi(argv[2])), argv[3], argv[4]);
    if (argc >= 3 && std::strcmp(argv[1], "send") == 0) return Send(static_cast<qv::TShortCut>(std::atoi(argv[2])));
    return 64;
}
