// The shipped Quorvane.exe, started as the user starts it and watched from outside.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "tests/options/HotKeyTool.h"
#include "tests/support/RegistrySnapshot.h"
#include "tests/support/TestPaths.h"

namespace {
const char kOptionsKey[] = "Software\\Zephlor\\Quorvane\\Settings";

void SetOption(const char* name, DWORD v) {
    qv::test::CreateKey(HKEY_LOCAL_MACHINE, kOptionsKey);
    HKEY k;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, kOptionsKey, 0, KEY_SET_VALUE, &k));
    RegSetValueExA(k, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v), sizeof v);
    RegCloseKey(k);
}

struct Found {
    DWORD pid;
    std::string title;
    int width;
    HWND hwnd;
};
BOOL CALLBACK FindTop(HWND h, LPARAM lp) {
    auto* f = reinterpret_cast<Found*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(h, &pid);
    char cls[64] = {0}, title[128] = {0};
    GetClassNameA(h, cls, sizeof cls);
    GetWindowTextA(h, title, sizeof title);
    RECT r;
    GetClientRect(h, &r);
    if (pid == f->pid && std::string(cls) == "QvContainer" && f->title == title && (f->width == 0 || r.right == f->width)) {
        f->hwnd = h;
        return FALSE;
    }
    return TRUE;
}
BOOL CALLBACK FindButton(HWND h, LPARAM lp) {
    auto* f = reinterpret_cast<Found*>(lp);
    char cls[64] = {0}, title[128] = {0};
    GetClassNameA(h, cls, sizeof cls);
    GetWindowTextA(h, title, sizeof title);
    if (lstrcmpiA(cls, "Button") == 0 && f->title == title) {
        f->hwnd = h;
        return FALSE;
    }
    return TRUE;
}

class Program : public ::testing::Test {
protected:
    void SetUp() override {
        std::string exe = qv::test::ShippedProgramFolder() + "Quorvane.exe";
        ASSERT_TRUE(FileExists(exe)) << exe;
        cmd = "\"" + exe + "\"";
    }
    static bool FileExists(const std::string& p) { return GetFileAttributesA(p.c_str()) != INVALID_FILE_ATTRIBUTES; }
    void Start() {
        STARTUPINFOA si{};
        si.cb = sizeof si;
        ASSERT_TRUE(CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, DETACHED_PROCESS, nullptr, nullptr, &si,
                                   &pi));
        started = true;
    }
    void TearDown() override {
        if (!started) return;
        if (WaitForSingleObject(pi.hProcess, 0) == WAIT_TIMEOUT) {
            if (HWND m = Window("Quorvane", 776)) PostMessageA(m, WM_CLOSE, 0, 0);
            if (WaitForSingleObject(pi.hProcess, 15000) == WAIT_TIMEOUT) TerminateProcess(pi.hProcess, 1);
        }
        CloseHandle(pi.hProcess);
        CloseHandle(pi.hThread);
    }
    HWND Window(const char* title, int width = 0) {
        Found f{pi.dwProcessId, title, width, nullptr};
        EnumWindows(FindTop, reinterpret_cast<LPARAM>(&f));
        return f.hwnd;
    }
    // Polls until cond holds; the bound is generous, for a loaded machine.
    template <class Cond>
    bool Until(Cond cond, DWORD ms = 60000) {
        for (DWORD start = GetTickCount(); !cond();) {
            if (GetTickCount() - start > ms || WaitForSingleObject(pi.hProcess, 0) == WAIT_OBJECT_0) return cond();
            Sleep(5);
        }
        return true;
    }
    bool Ended(DWORD ms) { return WaitForSingleObject(pi.hProcess, ms) == WAIT_OBJECT_0; }
    // The main window once the set-up has run and the loop answers.
    HWND Running() {
        HWND m = nullptr;
        DWORD_PTR r;
        if (!Until([&] { return (m = Window("Quorvane", 776)) != nullptr; })) return nullptr;
        return SendMessageTimeoutA(m, WM_NULL, 0, 0, SMTO_NORMAL, 30000, &r) ? m : nullptr;
    }
    // The stored shortcut pressed in another program washes; CloseQVAfterWash then ends the program.
    void ShortcutWashes(bool inTray) {
        const WORD code = 0x4000 | 0x8000 | VK_F9;  // Ctrl+Alt+F9
        SetOption("LoadQVSystemTray", inTray ? 1 : 0);
        SetOption("CloseQVAfterWash", 1);
        SetOption("Shortcut", code);
        Start();
        HWND main = Running();
        ASSERT_NE(nullptr, main);
        if (!inTray) EXPECT_TRUE(Until([&] { return IsWindowVisible(main) != FALSE; }));
        EXPECT_EQ(!inTray, IsWindowVisible(main) != FALSE);
        ASSERT_TRUE(qv::test::SendShortcutFromAnotherProgram(code));
        bool progressSeen = false;
        bool ended = Until([&] {
            HWND p = Window("Processing...");
            if (p && IsWindowVisible(p)) progressSeen = true;
            return WaitForSingleObject(pi.hProcess, 0) == WAIT_OBJECT_0;
        });
        EXPECT_TRUE(ended) << "the wash ran to its end";
        EXPECT_EQ(!inTray, progressSeen) << "the progress window only while the window is shown";
    }

    qv::test::RegistrySnapshot keep{HKEY_LOCAL_MACHINE, "Software\\Zephlor"};
    std::string cmd;
    PROCESS_INFORMATION pi{};
    bool started = false;
};
}  // namespace

TEST_F(Program, StartInTrayNeverShowsTheMainWindow) {
    SetOption("LoadQVSystemTray", 1);
    Start();
    bool mainSeen = false, splashSeen = false;
    auto watch = [&] {
        HWND m = Window("Quorvane", 776);
        if (m && IsWindowVisible(m)) mainSeen = true;
        HWND s = Window("", 500);
        if (s && IsWindowVisible(s)) splashSeen = true;
        return m;
    };
    ASSERT_TRUE(Until([&] { return watch() && splashSeen; })) << "the splash shows also when starting in the tray";
    // The splash goes after its two seconds; the loop then answers.
    ASSERT_TRUE(Until([&] {
        watch();
        HWND s = Window("", 500);
        return !s || !IsWindowVisible(s);
    }));
    DWORD_PTR r;
    EXPECT_TRUE(SendMessageTimeoutA(watch(), WM_NULL, 0, 0, SMTO_NORMAL, 20000, &r));
    for (int i = 0; i < 50; ++i) {
        watch();
        Sleep(10);
    }
    EXPECT_FALSE(mainSeen);
    PostMessageA(watch(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(Ended(20000));
}

TEST_F(Program, WithoutTheOptionsKeyItStartsShown) {
    qv::test::DeleteKeyTree(HKEY_LOCAL_MACHINE, kOptionsKey);
    Start();
    ASSERT_TRUE(Until([&] {
        HWND m = Window("Quorvane", 776);
        return m && IsWindowVisible(m);
    }));
    HKEY k;
    EXPECT_NE(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, kOptionsKey, 0, KEY_READ, &k)) << "never created";
    PostMessageA(Window("Quorvane", 776), WM_CLOSE, 0, 0);
    EXPECT_TRUE(Ended(20000));
    DWORD code = 99;
    GetExitCodeProcess(pi.hProcess, &code);
    EXPECT_EQ(0u, code);
}

// "Clean Now" in the real program: the progress window comes and goes, and with
// CloseQVAfterWash set the program ends by itself.
TEST_F(Program, CleanNowWashesAndEndsTheProgramWhenAskedTo) {
    SetOption("LoadQVSystemTray", 0);
    SetOption("CloseQVAfterWash", 1);
    Start();
    HWND main = nullptr;
    ASSERT_TRUE(Until([&] {
        main = Window("Quorvane", 776);
        return main && IsWindowVisible(main);
    }));
    Found button{0, "Clean Now", 0, nullptr};
    EnumChildWindows(main, FindButton, reinterpret_cast<LPARAM>(&button));
    ASSERT_NE(nullptr, button.hwnd);
    PostMessageA(button.hwnd, BM_CLICK, 0, 0);

    bool progressSeen = false, mainDisabledSeen = false;
    auto progressShown = [&] {
        HWND p = Window("Processing...");
        bool shown = p && IsWindowVisible(p);
        if (shown) progressSeen = true;
        if (IsWindow(main) && !IsWindowEnabled(main)) mainDisabledSeen = true;
        return shown;
    };
    ASSERT_TRUE(Until(progressShown)) << "the progress window comes";
    EXPECT_TRUE(Until([&] { return !progressShown(); })) << "and goes";
    EXPECT_TRUE(progressSeen);
    EXPECT_TRUE(mainDisabledSeen) << "the main window waits while the wash runs";
    EXPECT_TRUE(Ended(60000)) << "CloseQVAfterWash ends the program after the wash";
    DWORD code = 99;
    GetExitCodeProcess(pi.hProcess, &code);
    EXPECT_EQ(0u, code);
}

TEST_F(Program, TheShortcutFromAnotherProgramWashes) { ShortcutWashes(false); }

TEST_F(Program, TheShortcutFromAnotherProgramWashesAlsoInTheTray) { ShortcutWashes(true); }
