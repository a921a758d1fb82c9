// startup.dat at the main window's creation and close-down, when the file is damaged and when
// it cannot be written. Close-down ends the loop for good, so each case has a process of its own.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "common/core/Paths.h"
#include "common/ui/Application.h"
#include "quorvane/shell/MainUnit.h"
#include "tests/startpage/RunKeys.h"

using namespace qv;

namespace {
std::string Bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}
void Put(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}
int Row(ui::TListView* v, const std::string& name) {
    for (int r = 0; r < v->Count(); ++r)
        if (v->ItemText(r, 0) == name) return r;
    return -1;
}

struct StartupFile : ::testing::Test {
    void SetUp() override {
        DeleteFileA(path.c_str());
        ui::Application().Initialize();
    }
    void TearDown() override {
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(path.c_str());
        DeleteFileA((path + ".tmp").c_str());
    }
    test::EmptiedRunKeys keep;
    std::string path = StartupFilePath();
};
}  // namespace

TEST_F(StartupFile, DamagedFileStillBringsTheWindowUpAndIsKept) {
    test::WriteRun(HKEY_CURRENT_USER, "QvLive", "live.exe");
    // A count of 3, then one record with a property the class does not have.
    const std::string damaged = std::string("\x03\x00\x00\x00", 4) + "TPF0" + "\x0C" "TStartupItem" +
                                std::string(1, '\0') + "\x04" "Nope" "\x09" + std::string(2, '\0');
    Put(path, damaged);

    TMainForm f;
    f.Show();
    EXPECT_TRUE(IsWindowVisible(f.Handle()));
    EXPECT_EQ(TStartupFileState::Damaged, f.StartupLoad.State);
    ASSERT_FALSE(f.StartupLoad.BackupPath.empty());
    EXPECT_EQ(damaged, Bytes(f.StartupLoad.BackupPath)) << "the damaged file is kept as it was";
    EXPECT_GE(Row(f.StartupPage->RzListView2, "QvLive"), 0) << "the page lists the registry all the same";

    f.Exit1->Click();
    EXPECT_EQ(1, f.CloseDownRuns());
    EXPECT_EQ(DWORD(ERROR_SUCCESS), f.StartupSaveError);
    TStartupList reread;
    EXPECT_EQ(TStartupFileState::Loaded, reread.LoadFromFile(path).State);
    EXPECT_EQ(1, reread.Count());
    DeleteFileA(f.StartupLoad.BackupPath.c_str());
}

TEST_F(StartupFile, UnwritableFileStillLetsCloseDownComplete) {
    {
        TStartupList kept;
        auto e = std::make_unique<TStartupItem>();
        e->SetName("QvKept");
        e->SetCommandLine("kept.exe");
        e->SetLocation("HKEY_CURRENT_USER\\" + test::kRun);
        kept.Add(std::move(e));
        ASSERT_EQ(DWORD(ERROR_SUCCESS), kept.SaveToFile(path));
    }
    const std::string before = Bytes(path);
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
    test::WriteRun(HKEY_CURRENT_USER, "QvLive", "live.exe");

    TMainForm f;
    f.Show();
    ui::TListView* v = f.StartupPage->RzListView2;
    ASSERT_GE(Row(v, "QvKept"), 0);
    EXPECT_EQ("Disabled", v->ItemText(Row(v, "QvKept"), 1));
    v->SetSelected(Row(v, "QvLive"));
    SendMessageA(f.StartupPage->RzButton6->Handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(DWORD(REG_NONE), test::ReadRun(HKEY_CURRENT_USER, "QvLive").first);

    f.Exit1->Click();
    EXPECT_EQ(1, f.CloseDownRuns());
    EXPECT_TRUE(ui::Application().Terminated());
    EXPECT_FALSE(f.Visible());
    EXPECT_NE(DWORD(ERROR_SUCCESS), f.StartupSaveError);
    EXPECT_EQ(before, Bytes(path)) << "the old file with its disabled entry stays as it was";
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA((path + ".tmp").c_str()));
}
