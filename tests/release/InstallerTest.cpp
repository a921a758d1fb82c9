// The installer, run silently under Wine: what it installs, what the program finds, and what
// the uninstaller takes away again.
#include <windows.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <string>

#include "common/core/Paths.h"
#include "common/core/Registry.h"
#include "tests/support/RegistrySnapshot.h"
#include "tests/support/TestPaths.h"

namespace {

const char kZephlor[] = "Software\\Zephlor";
const char kOptions[] = "Software\\Zephlor\\Quorvane\\Settings";
const char kVersions[] = "Software\\Zephlor\\Quorvane\\Settings\\VersionControl";
const char kUninstall[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quorvane";
const char kRun[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

// Starts a program and waits (bounded) for it; its exit code, or -1.
long RunAndWait(std::string commandLine, DWORD limitMs = 120000) {
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return -1;
    DWORD code = static_cast<DWORD>(-1);
    if (WaitForSingleObject(pi.hProcess, limitMs) == WAIT_OBJECT_0) GetExitCodeProcess(pi.hProcess, &code);
    else TerminateProcess(pi.hProcess, 1);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return static_cast<long>(code);
}

// The uninstaller copies itself to the temporary folder and runs from there, so that it can
// delete its own file: wait for that copy too.
bool WaitForUninstallerCopy(DWORD limitMs = 120000) {
    for (DWORD waited = 0; waited < limitMs; waited += 100) {
        bool running = false;
        HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
        PROCESSENTRY32 pe{};
        pe.dwSize = sizeof pe;
        for (BOOL ok = Process32First(snap, &pe); ok; ok = Process32Next(snap, &pe))
            if (lstrcmpiA(pe.szExeFile, "Un.exe") == 0 || lstrcmpiA(pe.szExeFile, "Au_.exe") == 0) running = true;
        CloseHandle(snap);
        if (!running) return true;
        Sleep(100);
    }
    return false;
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool KeyExists(HKEY root, const char* path) {
    HKEY k;
    if (RegOpenKeyExA(root, path, 0, KEY_READ, &k) != ERROR_SUCCESS) return false;
    RegCloseKey(k);
    return true;
}

std::string Text(HKEY root, const char* path, const char* name) {
    qv::TRegistry reg;
    reg.SetRootKey(root);
    std::string v = "<missing>";
    if (reg.OpenKeyReadOnly(path) == ERROR_SUCCESS) reg.ReadString(name, v);
    return v;
}

int32_t Number(const char* name) {
    qv::TRegistry reg;
    reg.SetRootKey(HKEY_LOCAL_MACHINE);
    int32_t v = -1;
    if (reg.OpenKeyReadOnly(kOptions) == ERROR_SUCCESS) reg.ReadInteger(name, v);
    return v;
}

void SetNumber(const char* name, int32_t value) {
    qv::TRegistry reg;
    reg.SetRootKey(HKEY_LOCAL_MACHINE);
    ASSERT_EQ(ERROR_SUCCESS, reg.OpenKey(kOptions, false));
    ASSERT_EQ(ERROR_SUCCESS, reg.WriteInteger(name, value));
}

std::string MenuFolder() {
    char path[MAX_PATH] = "";
    SHGetSpecialFolderPathA(nullptr, path, CSIDL_COMMON_PROGRAMS, FALSE);
    return std::string(path) + "\\Quorvane\\";
}

// The program a shortcut starts, as the shell resolves it.
std::string ShortcutTarget(const std::string& lnk) {
    IShellLinkA* link = nullptr;
    IPersistFile* file = nullptr;
    std::string target = "<unresolved>";
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                   reinterpret_cast<void**>(&link)))) {
        if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
            std::wstring w(lnk.begin(), lnk.end());
            char path[MAX_PATH] = "";
            if (SUCCEEDED(file->Load(w.c_str(), STGM_READ)) && SUCCEEDED(link->GetPath(path, MAX_PATH, nullptr, 0)))
                target = path;
            file->Release();
        }
        link->Release();
    }
    return target;
}

void WriteFile(const std::string& path) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, h) << path;
    DWORD n;
    ::WriteFile(h, "x", 1, &n, nullptr);
    CloseHandle(h);
}

class Installer : public ::testing::Test {
protected:
    void SetUp() override {
        setup_ = qv::test::WinePath(QV_SETUP_EXE);
        if (!qv::FileExists(setup_))
            GTEST_SKIP() << "no installer at " << QV_SETUP_EXE << " (it is made once Quorvane.exe and Tidewell.exe are built)";
        ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
        com_ = true;
        parent_ = qv::test::MakeTempFolder("setup");
        dir_ = parent_ + "Quorvane\\";
        // A machine on which Quorvane was never installed.
        qv::test::DeleteKeyTree(HKEY_LOCAL_MACHINE, kZephlor);
        qv::test::DeleteKeyTree(HKEY_LOCAL_MACHINE, kUninstall);
    }
    void TearDown() override {
        if (program_) {
            TerminateProcess(program_, 0);
            WaitForSingleObject(program_, 10000);
            CloseHandle(program_);
        }
        if (!dir_.empty() && qv::FileExists(dir_ + "Uninstall.exe")) {
            RunAndWait("\"" + dir_ + "Uninstall.exe\" /S /REMOVEDATA");
            WaitForUninstallerCopy();
        }
        qv::test::RemoveFolderTree(parent_);
        if (com_) CoUninitialize();
    }
    void Install() {
        // /D comes last and without quotes.
        ASSERT_EQ(0, RunAndWait("\"" + setup_ + "\" /S /D=" + dir_.substr(0, dir_.size() - 1)));
    }
    void Uninstall(const std::string& options) {
        ASSERT_EQ(0, RunAndWait("\"" + dir_ + "Uninstall.exe\" /S" + options));
        ASSERT_TRUE(WaitForUninstallerCopy());
    }
    // Starts the program and waits until it has read its options (it writes the missing ones).
    void StartAndWaitForOptions(const std::string& exe) {
        STARTUPINFOA si{};
    si.cb = sizeof si;
        PROCESS_INFORMATION pi{};
        std::string cmd = "\"" + exe + "\"";
        ASSERT_TRUE(CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, DETACHED_PROCESS, nullptr,
                                   dir_.c_str(), &si, &pi));
        CloseHandle(pi.hThread);
        program_ = pi.hProcess;
        for (int i = 0; i < 600 && Number("ShowSplashOnStartup") == -1; ++i) {
            ASSERT_EQ(WAIT_TIMEOUT, WaitForSingleObject(program_, 100)) << "Quorvane.exe ended at start";
        }
        ASSERT_EQ(1, Number("ShowSplashOnStartup")) << "Quorvane.exe did not load its options";
        TerminateProcess(program_, 0);
        WaitForSingleObject(program_, 10000);
        CloseHandle(program_);
        program_ = nullptr;
    }

    qv::test::RegistrySnapshot zephlor_{HKEY_LOCAL_MACHINE, kZephlor};
    qv::test::RegistrySnapshot uninstallKey_{HKEY_LOCAL_MACHINE, kUninstall};
    qv::test::RegistrySnapshot run_{HKEY_CURRENT_USER, kRun};
    std::string setup_, parent_, dir_;
    HANDLE program_ = nullptr;
    bool com_ = false;
};

TEST_F(Installer, SilentInstallThenProgramFromTheStartMenuKeepsItsOptionsThenUninstall) {
    Install();
    for (const char* f : {"Quorvane.exe", "Tidewell.exe", "Help\\Quorvane.chm", "Uninstall.exe"})
        EXPECT_TRUE(qv::FileExists(dir_ + f)) << f;

    ASSERT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kOptions));
    for (const char* component : {"Quorvane.exe", "Tidewell.exe", "Quorvane.chm"})
        EXPECT_EQ(QV_VERSION_TEXT, Text(HKEY_LOCAL_MACHINE, kVersions, component)) << component;
    EXPECT_EQ(dir_.substr(0, dir_.size() - 1), Text(HKEY_LOCAL_MACHINE, kUninstall, "InstallLocation"));

    const std::string target = ShortcutTarget(MenuFolder() + "Quorvane.lnk");
    EXPECT_EQ(0, lstrcmpiA((dir_ + "Quorvane.exe").c_str(), target.c_str())) << target;
    EXPECT_EQ(0, lstrcmpiA((dir_ + "Tidewell.exe").c_str(), ShortcutTarget(MenuFolder() + "Tidewell.lnk").c_str()));

    // An option the user set before is kept by the program's first start and by a reinstall.
    SetNumber("CleanMemoryEveryMinute", 7);
    StartAndWaitForOptions(target);
    EXPECT_EQ(7, Number("CleanMemoryEveryMinute"));
    EXPECT_EQ(0, Number("CloseQVAfterWash"));
    Install();
    EXPECT_EQ(7, Number("CleanMemoryEveryMinute"));
    EXPECT_EQ(1, Number("ShowSplashOnStartup"));

    // What the program and the updater leave behind.
    WriteFile(dir_ + "startup.dat");
    CreateDirectoryA((dir_ + "Reports").c_str(), nullptr);
    WriteFile(dir_ + "Reports\\Quorvane-20260101-120000-1-1.txt");
    WriteFile(dir_ + "tidewelltemp.xml");
    WriteFile(dir_ + "Notes.txt");  // the user's own file
    {
        qv::TRegistry reg;
        reg.SetRootKey(HKEY_CURRENT_USER);
        ASSERT_EQ(ERROR_SUCCESS, reg.OpenKey(kRun, true));
        ASSERT_EQ(ERROR_SUCCESS, reg.WriteString("Quorvane", dir_ + "Quorvane.exe"));
        ASSERT_EQ(ERROR_SUCCESS, reg.WriteString("QvTestOther", "C:\\other.exe"));
    }

    Uninstall("");
    for (const char* f : {"Quorvane.exe", "Tidewell.exe", "Help\\Quorvane.chm", "Uninstall.exe", "tidewelltemp.xml"})
        EXPECT_FALSE(qv::FileExists(dir_ + f)) << f;
    EXPECT_FALSE(Exists(dir_ + "Help"));
    // Not asked to: the disabled startup programs and the reports stay, and so does the user's file.
    EXPECT_TRUE(qv::FileExists(dir_ + "startup.dat"));
    EXPECT_TRUE(qv::FileExists(dir_ + "Reports\\Quorvane-20260101-120000-1-1.txt"));
    EXPECT_TRUE(qv::FileExists(dir_ + "Notes.txt"));

    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, "Software\\Zephlor\\Quorvane"));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstall));
    EXPECT_EQ("<missing>", Text(HKEY_CURRENT_USER, kRun, "Quorvane"));
    EXPECT_EQ("C:\\other.exe", Text(HKEY_CURRENT_USER, kRun, "QvTestOther"));
    EXPECT_FALSE(qv::FileExists(MenuFolder() + "Quorvane.lnk"));
    EXPECT_FALSE(Exists(MenuFolder()));
}

TEST_F(Installer, UninstallAskedToRemovesStartupListAndReportsToo) {
    Install();
    WriteFile(dir_ + "startup.dat");
    CreateDirectoryA((dir_ + "Reports").c_str(), nullptr);
    WriteFile(dir_ + "Reports\\Quorvane-20260101-120000-1-1.txt");
    Uninstall(" /REMOVEDATA");
    EXPECT_FALSE(qv::FileExists(dir_ + "startup.dat"));
    EXPECT_FALSE(Exists(dir_));
}

}  // namespace
