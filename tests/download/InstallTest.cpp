// Installing a finished download: the block copy with its progress, the previous file kept
// until the new one is whole, the version record, the keywords, the self-replacement.
#include <gtest/gtest.h>

#include <algorithm>

#include "common/core/Paths.h"
#include "tests/download/DownloadSupport.h"
#include "tests/support/MachineKey.h"
#include "tests/support/RegistrySnapshot.h"
#include "tests/support/TestPaths.h"
#include "tidewell/UpdaterKeys.h"
#include "tidewell/download/DownloadEngine.h"
#include "tidewell/download/DownloadPaths.h"
#include "tidewell/download/RunningPrograms.h"
#include "tidewell/install/FinishedActions.h"
#include "tidewell/updatelist/ErrorCodes.h"

using namespace qv;

namespace {

std::string Bytes(size_t n) {
    std::string s(n, '\0');
    for (size_t i = 0; i < n; ++i) s[i] = static_cast<char>('a' + i % 23);
    return s;
}

class InstallTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::DeleteKeyTree(HKEY_LOCAL_MACHINE, kVersionControlKeyPath);
        engine.ProgramFolder = folder;
        engine.SelfPath = folder + "Tidewell.exe";
        engine.FinishedActions.EndSession = [this](UINT) { ++sessionEnds; };
    }
    void TearDown() override { test::RemoveFolderTree(folder); }

    TFile& AddEntry(const std::string& dest, int32_t size) {
        auto f = std::make_unique<TFile>(ExtractFileName(dest));
        f->ProductName = "Help";
        f->DestFile = dest;
        f->FileSize = size;
        f->Version.Parse("1.2.3");
        info.Files.push_back(std::move(f));
        return *info.Files.back();
    }
    // The downloaded file of the first entry as the worker leaves it: open, at its end.
    void Downloaded(const std::string& content, DWORD access = GENERIC_READ | GENERIC_WRITE) {
        const TFile& f = *info.Files.at(0);
        std::string temp = PrefixFileName(DestinationPath(f.DestFile, folder), "~");
        test::WriteText(temp, content);
        engine.DownloadStream.reset(CreateFileA(temp.c_str(), access, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(engine.DownloadStream.valid());
        SetFilePointer(engine.DownloadStream.get(), 0, nullptr, FILE_END);
        engine.TotalSize = 2 * static_cast<uint32_t>(content.size());
        engine.CurrentIndex = 1;
    }
    std::string Recorded() { return versions.Text("Help.chm"); }

    test::RegistrySnapshot keep{HKEY_LOCAL_MACHINE, "Software\\Zephlor"};
    test::MachineKey versions{kVersionControlKeyPath};
    std::string folder = test::MakeTempFolder("install");
    test::RecordingHost host;
    TInfoFile info{"Untitled"};
    std::vector<std::string> cleanup;
    volatile bool stop = false;
    TDownloadEngine engine{host, info, cleanup, stop};
    int sessionEnds = 0;
};

TEST_F(InstallTest, CopiesInBlocksWithProgressAndRecordsTheVersion) {
    struct Case {
        size_t size;
        std::vector<int> fileBars;   // the copy's, then the final 100
        std::vector<int> totalBars;
        std::string lastLine;
    } cases[] = {
        // The last, partial block goes without a progress update.
        {2500, {41, 82, 100}, {70, 91}, "Installing Help - 2 KB / 2 KB ..."},
        {2048, {50, 100, 100}, {75, 100}, "Installing Help - 2 KB / 2 KB ..."},
        {500, {100}, {}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.size);
        info.Files.clear();
        host = test::RecordingHost();
        AddEntry("\\\\Help\\Help.chm", static_cast<int32_t>(c.size));
        test::WriteText(folder + "Help\\Help.chm", "old contents");
        Downloaded(Bytes(c.size));
        engine.TotalDone = 0;
        engine.InstallDownloadedFile();

        EXPECT_EQ(Bytes(c.size), test::ReadText(folder + "Help\\Help.chm"));
        EXPECT_EQ(c.fileBars, host.FileBars);
        EXPECT_EQ(c.totalBars, host.TotalBars);
        EXPECT_EQ(c.lastLine, host.Lines.empty() ? "" : host.Lines.back());
        EXPECT_EQ(2 * c.size, engine.TotalDone);
        EXPECT_EQ(100, engine.TotalPercent);
        EXPECT_EQ("1.2.3", Recorded());
        EXPECT_EQ(std::vector<int>{5}, host.Pages);  // the next download: none left, page 5
        EXPECT_FALSE(FileExists(folder + "Help\\~b~Help.chm"));
        EXPECT_FALSE(engine.DownloadStream.valid());
        EXPECT_TRUE(FileExists(folder + "Help\\~Help.chm"));  // left for the clean-up at the end
        EXPECT_TRUE(host.Errors.empty());
    }
}

TEST_F(InstallTest, TheUserInterfaceIsServicedEveryHundredBlocks) {
    AddEntry("Help.chm", 250 * 1024);
    Downloaded(Bytes(250 * 1024));
    engine.InstallDownloadedFile();
    EXPECT_EQ(2, host.Pumps);
    EXPECT_EQ(250u, host.Lines.size());
}

TEST_F(InstallTest, AFailedCopyPutsThePreviousFileBack) {
    struct Case {
        const char* what;
        size_t size;
        DWORD access;
        TErtd code;
    } cases[] = {
        {"full block unreadable", 2500, GENERIC_WRITE, TErtd::E1171},
        {"last block unreadable", 500, GENERIC_WRITE, TErtd::E1181},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        info.Files.clear();
        host = test::RecordingHost();
        AddEntry("Help.chm", static_cast<int32_t>(c.size));
        test::WriteText(folder + "Help.chm", "old contents");
        Downloaded(Bytes(c.size), c.access);
        engine.InstallDownloadedFile();
        EXPECT_EQ(std::vector<std::string>{ErtdMessage(c.code)}, host.Errors);
        EXPECT_EQ("old contents", test::ReadText(folder + "Help.chm"));
        EXPECT_FALSE(FileExists(folder + "~b~Help.chm"));
        EXPECT_FALSE(engine.DownloadStream.valid());  // closed, so the clean-up can delete it
        EXPECT_TRUE(host.Pages.empty());  // no further download
        EXPECT_EQ("<missing>", Recorded());
    }
}

TEST_F(InstallTest, ADestinationThatCannotBeCreatedFailsAndKeepsThePreviousFile) {
    AddEntry("Help.chm", 2500);
    CreateDirectoryA((folder + "Help.chm").c_str(), nullptr);  // a folder where the file should go
    Downloaded(Bytes(2500));
    engine.InstallDownloadedFile();
    EXPECT_EQ(std::vector<std::string>{ErtdMessage(TErtd::E1153)}, host.Errors);
    EXPECT_TRUE(host.Pages.empty());

    // A previous file that another program holds shut stays as it was.
    RemoveDirectoryA((folder + "Help.chm").c_str());
    test::WriteText(folder + "Help.chm", "old contents");
    KernelHandle held(CreateFileA((folder + "Help.chm").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    host = test::RecordingHost();
    Downloaded(Bytes(2500));
    engine.InstallDownloadedFile();
    held.reset();
    EXPECT_EQ(std::vector<std::string>{ErtdMessage(TErtd::E1153)}, host.Errors);
    EXPECT_EQ("old contents", test::ReadText(folder + "Help.chm"));
    EXPECT_EQ("<missing>", Recorded());
}

TEST_F(InstallTest, NothingReceivedInstallsNothing) {
    AddEntry("Help.chm", 0);
    Downloaded("");
    engine.InstallDownloadedFile();
    EXPECT_FALSE(FileExists(folder + "Help.chm"));
    EXPECT_TRUE(host.Pages.empty() && host.Errors.empty());
}

TEST_F(InstallTest, ClosingMessageAndKeywordsFollowTheCopy) {
    TFile& f = AddEntry("Help.chm", 100);
    f.FinishedMsg = "Help is new.";
    f.Finished = "WINLOGOFF;selfclose;";
    AddEntry("Other.dll", 100);  // would be next, but the updater closes after this entry
    Downloaded(Bytes(100));
    engine.InstallDownloadedFile();
    EXPECT_EQ(std::vector<std::string>{"Help is new."}, host.Infos);
    EXPECT_EQ(1, sessionEnds);
    EXPECT_EQ(1, host.Terminations);
    EXPECT_TRUE(stop);
    EXPECT_EQ(nullptr, engine.DownloadThread());
    EXPECT_EQ("1.2.3", Recorded());  // the step after the keywords still runs
}

TEST_F(InstallTest, TheUpdaterReplacesAndRestartsItself) {
    std::string self = folder + "Tidewell.exe";
    std::string download = folder + "new-updater.bin";
    ASSERT_TRUE(CopyFileA(test::ProbeProgram().c_str(), self.c_str(), FALSE));
    ASSERT_TRUE(CopyFileA(test::ProbeProgram().c_str(), download.c_str(), FALSE));
    std::string marked = test::ReadText(download) + "new version";  // trailing bytes keep it runnable
    test::WriteText(download, marked);

    std::string command = "\"" + self + "\" self-replace \"" + download + "\"";
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    ASSERT_TRUE(CreateProcessA(self.c_str(), &command[0], nullptr, nullptr, FALSE, DETACHED_PROCESS, nullptr, nullptr,
                               &si, &pi));
    CloseHandle(pi.hThread);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(pi.hProcess, 30000));
    CloseHandle(pi.hProcess);

    std::string aside = folder + "~t~Tidewell.exe";
    std::string quoted = "\"" + aside + "\"";
    // The old instance's steps, and the new instance's one argument, the old path (its quotes
    // taken off by the command-line parser), which it logs whenever it has started.
    std::vector<std::string> expected{"self-replace " + download, "terminate", "closed", "restart " + quoted, aside};
    std::vector<std::string> lines;
    for (int i = 0; i < 200 && lines.size() < expected.size(); ++i, Sleep(50)) lines = test::Lines(test::ReadText(self + ".log"));
    std::sort(expected.begin(), expected.end());
    std::sort(lines.begin(), lines.end());
    EXPECT_EQ(expected, lines);
    EXPECT_EQ(marked, test::ReadText(self));
    EXPECT_TRUE(FileExists(aside));
    EXPECT_EQ("9.8.7", versions.Text("Tidewell.exe"));
    TerminateProgram("Tidewell.exe");
}

TEST_F(InstallTest, AFailedSelfReplacementPutsTheOldUpdaterBack) {
    std::string self = engine.SelfPath;
    test::WriteText(self, "old updater");
    AddEntry("Tidewell.exe", 500);
    Downloaded(Bytes(500), GENERIC_WRITE);
    engine.InstallDownloadedFile();
    EXPECT_EQ(std::vector<std::string>{ErtdMessage(TErtd::E1181)}, host.Errors);
    EXPECT_EQ("old updater", test::ReadText(self));
    EXPECT_FALSE(FileExists(folder + "~t~Tidewell.exe"));
    EXPECT_EQ("", engine.RestartParameter);
}

}  // namespace
