// The shipped Tidewell.exe, started as a user or the restarted updater would start it.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "common/core/Paths.h"
#include "tests/support/RegistrySnapshot.h"
#include "tests/support/TestPaths.h"
#include "tidewell/UpdaterKeys.h"

using namespace qv;

namespace {

struct Found {
    DWORD pid;
    const char* text;
    HWND hwnd = nullptr;
};

BOOL CALLBACK FindMain(HWND h, LPARAM lp) {
    auto* f = reinterpret_cast<Found*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(h, &pid);
    char text[64] = {0};
    GetWindowTextA(h, text, sizeof text);
    if (pid == f->pid && IsWindowVisible(h) && lstrcmpA(text, f->text) == 0) {
        f->hwnd = h;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK FindChild(HWND h, LPARAM lp) {
    auto* f = reinterpret_cast<Found*>(lp);
    char text[64] = {0};
    GetWindowTextA(h, text, sizeof text);
    if (lstrcmpA(text, f->text) == 0) {
        f->hwnd = h;
        return FALSE;
    }
    return TRUE;
}

class Updater {
public:
    explicit Updater(const std::string& args) {
        std::string exe = test::ShippedProgramFolder() + "Tidewell.exe";
        std::string line = "\"" + exe + "\" " + args;
        STARTUPINFOA si{};
        si.cb = sizeof si;
        EXPECT_TRUE(CreateProcessA(exe.c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi_));
    }
    ~Updater() {
        if (pi_.hProcess && WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(pi_.hProcess, 1);
        CloseHandle(pi_.hProcess);
        CloseHandle(pi_.hThread);
    }
    // The wizard window, once it has been placed by the start-up timer (nullptr when it never shows).
    HWND Window() {
        for (int i = 0; i < 500; ++i) {
            Found f{pi_.dwProcessId, "Tidewell"};
            EnumWindows(FindMain, reinterpret_cast<LPARAM>(&f));
            RECT r;
            if (f.hwnd && GetWindowRect(f.hwnd, &r) && r.left > -500) return f.hwnd;
            Sleep(20);
        }
        return nullptr;
    }
    HWND Button(HWND window, const char* caption) {
        Found f{0, caption};
        EnumChildWindows(window, FindChild, reinterpret_cast<LPARAM>(&f));
        return f.hwnd;
    }
    bool Ended(DWORD ms = 10000) { return WaitForSingleObject(pi_.hProcess, ms) == WAIT_OBJECT_0; }

private:
    PROCESS_INFORMATION pi_{};
};

class UpdaterProgramTest : public ::testing::Test {
protected:
    test::RegistrySnapshot keep{HKEY_LOCAL_MACHINE, "Software\\Zephlor"};
};

}  // namespace

TEST_F(UpdaterProgramTest, AFileNamedOnTheCommandLineIsGoneWhenTheUpdaterEnds) {
    std::string folder = test::MakeTempFolder("restart");
    std::string old = folder + "~t~Tidewell.exe";
    std::ofstream(old) << "the previous program file";
    {
        Updater u("\"" + old + "\"");
        HWND w = u.Window();
        ASSERT_NE(nullptr, w);
        EXPECT_TRUE(FileExists(old)) << "kept while the updater runs";
        HWND cancel = u.Button(w, "Cancel");
        ASSERT_NE(nullptr, cancel);
        PostMessageA(cancel, BM_CLICK, 0, 0);
        ASSERT_TRUE(u.Ended());
    }
    EXPECT_FALSE(FileExists(old));
    test::RemoveFolderTree(folder);
}
