#include "tests/support/MessageBoxCatcher.h"

namespace qv::test {

namespace {
struct Search {
    DWORD processId;
    HWND found = nullptr;
};

BOOL CALLBACK FindBox(HWND h, LPARAM lp) {
    auto* s = reinterpret_cast<Search*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(h, &pid);
    char cls[16] = {0};
    GetClassNameA(h, cls, sizeof cls);
    if (pid == s->processId && IsWindowVisible(h) && lstrcmpA(cls, "#32770") == 0) {
        s->found = h;
        return FALSE;
    }
    return TRUE;
}

std::string BoxText(HWND box) {
    HWND text = GetDlgItem(box, 0xFFFF);  // the message box's text control
    char buf[4096] = {0};
    if (text) GetWindowTextA(text, buf, sizeof buf);
    return buf;
}
}  // namespace

MessageBoxCatcher::MessageBoxCatcher(int button, DWORD processId)
    : button_(button), processId_(processId), thread_([this] { Run(); }) {}

MessageBoxCatcher::~MessageBoxCatcher() {
    stop_ = true;
    thread_.join();
}

void MessageBoxCatcher::Run() {
    while (!stop_) {
        Search s{processId_};
        EnumWindows(FindBox, reinterpret_cast<LPARAM>(&s));
        if (s.found) {
            std::string text = BoxText(s.found);
            HWND button = GetDlgItem(s.found, button_);
            if (button) {
                {
                    std::lock_guard<std::mutex> g(lock_);
                    texts_.push_back(text);
                }
                PostMessageA(s.found, WM_COMMAND, MAKEWPARAM(button_, BN_CLICKED), reinterpret_cast<LPARAM>(button));
                // Give the box time to go before looking again.
                for (int i = 0; i < 100 && IsWindow(s.found) && IsWindowVisible(s.found); ++i) Sleep(10);
            }
        }
        Sleep(20);
    }
}

std::vector<std::string> MessageBoxCatcher::Texts() const {
    std::lock_guard<std::mutex> g(lock_);
    return texts_;
}

bool MessageBoxCatcher::WaitFor(size_t n, DWORD limitMs) const {
    DWORD start = GetTickCount();
    while (Texts().size() < n) {
        if (GetTickCount() - start > limitMs) return false;
        Sleep(20);
    }
    return true;
}

}  // namespace qv::test
