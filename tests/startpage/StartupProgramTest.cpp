// The shipped Quorvane.exe, driven from outside: an entry disabled on its Startup page stays
// disabled after "Exit" from the tray menu and a new start, and enabling it writes it back.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstddef>
#include <fstream>
#include <iterator>
#include <string>

#include "tests/startpage/RunKeys.h"
#include "tests/support/TestPaths.h"

namespace {

struct Search {
    DWORD pid;
    const char* cls;
    const char* text;  // nullptr: any
    HWND found = nullptr;
};
BOOL CALLBACK Match(HWND h, LPARAM lp) {
    auto* s = reinterpret_cast<Search*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(h, &pid);
    char cls[64] = "", text[128] = "";
    GetClassNameA(h, cls, sizeof cls);
    GetWindowTextA(h, text, sizeof text);
    if (pid == s->pid && lstrcmpiA(cls, s->cls) == 0 && (!s->text || lstrcmpA(text, s->text) == 0)) {
        s->found = h;
        return FALSE;
    }
    return TRUE;
}

class StartupProgram : public ::testing::Test {
protected:
    void SetUp() override {
        std::ifstream in(file, std::ios::binary);
        hadFile = in.good();
        if (hadFile) saved.assign(std::istreambuf_iterator<char>(in), {});
        in.close();
        DeleteFileA(file.c_str());
    }
    void TearDown() override {
        Stop();
        DeleteFileA(file.c_str());
        if (hadFile) std::ofstream(file, std::ios::binary) << saved;
    }
    void Start() {
        std::string cmd = "\"" + qv::test::ShippedProgramFolder() + "Quorvane.exe\"";
        STARTUPINFOA si{};
        si.cb = sizeof si;
        ASSERT_TRUE(CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, DETACHED_PROCESS, nullptr, nullptr, &si,
                                   &pi));
        ASSERT_TRUE(Until([&] { return (main = Top("QvContainer", "Quorvane")) && IsWindowVisible(main); }));
        // The Startup page's list: the one beside the page's "&Refresh" button (the Process
        // page has a list view too).
        HWND refresh = Button("&Refresh");
        ASSERT_NE(nullptr, refresh);
        Search s{pi.dwProcessId, WC_LISTVIEWA, nullptr};
        EnumChildWindows(GetParent(refresh), Match, reinterpret_cast<LPARAM>(&s));
        list = s.found;
        ASSERT_NE(nullptr, list);
    }
    void Stop() {
        if (!pi.hProcess) return;
        if (WaitForSingleObject(pi.hProcess, 0) == WAIT_TIMEOUT) {
            PostMessageA(main, WM_CLOSE, 0, 0);
            if (WaitForSingleObject(pi.hProcess, 20000) == WAIT_TIMEOUT) TerminateProcess(pi.hProcess, 1);
        }
        CloseHandle(pi.hProcess);
        CloseHandle(pi.hThread);
        pi = {};
    }
    HWND Top(const char* cls, const char* text) {
        Search s{pi.dwProcessId, cls, text};
        EnumWindows(Match, reinterpret_cast<LPARAM>(&s));
        return s.found;
    }
    HWND Button(const char* caption) {
        Search s{pi.dwProcessId, "Button", caption};
        EnumChildWindows(main, Match, reinterpret_cast<LPARAM>(&s));
        return s.found;
    }
    // Polls until cond holds; the bound is generous, for a loaded machine.
    template <class Cond>
    bool Until(Cond cond, DWORD ms = 60000) {
        for (DWORD start = GetTickCount(); !cond(); Sleep(10))
            if (GetTickCount() - start > ms || WaitForSingleObject(pi.hProcess, 0) == WAIT_OBJECT_0) return cond();
        return true;
    }
    // A cell of the program's list view, read through memory of its own process.
    std::string Cell(int row, int column) {
        struct Block {
            LVITEMA item;
            char text[260];
        };
        auto* remote = static_cast<char*>(VirtualAllocEx(pi.hProcess, nullptr, sizeof(Block), MEM_COMMIT, PAGE_READWRITE));
        Block local{};
        local.item.iSubItem = column;
        local.item.cchTextMax = sizeof local.text;
        local.item.pszText = remote + offsetof(Block, text);
        WriteProcessMemory(pi.hProcess, remote, &local, sizeof local, nullptr);
        SendMessageA(list, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(remote));
        ReadProcessMemory(pi.hProcess, remote, &local, sizeof local, nullptr);
        VirtualFreeEx(pi.hProcess, remote, 0, MEM_RELEASE);
        return local.text;
    }
    int Rows() { return static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0)); }
    // Clicks down the navigation bar's first group until the Startup page shows.
    void ShowStartupPage() {
        POINT inBar{90, 127 + 40};
        HWND bar = ChildWindowFromPoint(main, inBar);
        ASSERT_NE(nullptr, bar);
        for (int y = 45; y < 200 && !IsWindowVisible(list); y += 12) SendMessageA(bar, WM_LBUTTONUP, 0, MAKELPARAM(90, y));
        ASSERT_TRUE(IsWindowVisible(list));
    }
    void SelectFirstRow() {
        SendMessageA(list, WM_KEYDOWN, VK_HOME, 0);
        ASSERT_EQ(LRESULT(0), SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    }

    qv::test::EmptiedRunKeys keep;
    std::string file = qv::test::ShippedProgramFolder() + "startup.dat";
    bool hadFile = false;
    std::string saved;
    PROCESS_INFORMATION pi{};
    HWND main = nullptr, list = nullptr;
};

}  // namespace

TEST_F(StartupProgram, DisabledEntrySurvivesTrayExitAndEnablesAgain) {
    const std::string command = "C:\\Tools\\e2e.exe /quiet";
    qv::test::WriteRun(HKEY_CURRENT_USER, "QvEndToEnd", command);
    Start();
    ShowStartupPage();
    ASSERT_EQ(1, Rows());
    EXPECT_EQ("Active", Cell(0, 1));
    SelectFirstRow();
    SendMessageA(Button("&Disable"), BM_CLICK, 0, 0);
    EXPECT_EQ("Disabled", Cell(0, 1));
    EXPECT_EQ(DWORD(REG_NONE), qv::test::ReadRun(HKEY_CURRENT_USER, "QvEndToEnd").first);

    // "Exit" is the tray menu's last item.
    HWND tray = Top("QvTrayIconWindow", nullptr);
    ASSERT_NE(nullptr, tray);
    PostMessageA(tray, WM_USER + 101, 1, WM_RBUTTONUP);
    HWND menu = nullptr;
    ASSERT_TRUE(Until([&] { return (menu = Top("#32768", nullptr)) && IsWindowVisible(menu); }));
    for (WORD key : {VK_UP, VK_RETURN}) {
        PostMessageA(menu, WM_KEYDOWN, key, 0);
        PostMessageA(menu, WM_KEYUP, key, 0xC0000000);
    }
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(pi.hProcess, 30000));
    DWORD code = 99;
    GetExitCodeProcess(pi.hProcess, &code);
    EXPECT_EQ(0u, code);
    Stop();

    Start();
    ASSERT_EQ(1, Rows());
    EXPECT_EQ("QvEndToEnd", Cell(0, 0));
    EXPECT_EQ("Disabled", Cell(0, 1)) << "the disabled entry came back from startup.dat";
    EXPECT_EQ(command, Cell(0, 2));
    EXPECT_EQ("HKEY_CURRENT_USER\\" + qv::test::kRun, Cell(0, 3));
    ShowStartupPage();
    SelectFirstRow();
    SendMessageA(Button("&Enable"), BM_CLICK, 0, 0);
    EXPECT_EQ("Active", Cell(0, 1));
    EXPECT_EQ(std::make_pair(DWORD(REG_SZ), command), qv::test::ReadRun(HKEY_CURRENT_USER, "QvEndToEnd"));
}
