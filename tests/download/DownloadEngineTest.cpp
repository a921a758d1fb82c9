// Whole download sessions against a server on 127.0.0.1: the ticked entries fetched and
// installed in turn, the failures with their codes, the running program closed and restarted,
// stop and pause during a transfer.
#include "tidewell/download/DownloadEngine.h"

#include <gtest/gtest.h>

#include "common/core/Paths.h"
#include "common/thread/Thread.h"
#include "tests/download/DownloadSupport.h"
#include "tests/support/MachineKey.h"
#include "tests/support/MessagePump.h"
#include "tests/support/RegistrySnapshot.h"
#include "tests/support/TestHttpServer.h"
#include "tests/support/TestPaths.h"
#include "tidewell/UpdaterKeys.h"
#include "tidewell/download/DownloadProgress.h"
#include "tidewell/download/DownloadThread.h"
#include "tidewell/download/RunningPrograms.h"
#include "tidewell/updatelist/ErrorCodes.h"

using namespace qv;

namespace {

class DownloadEngineTest : public ::testing::Test {
public:  // the failure table arranges through a reference
    void SetUp() override {
        InitMainThread();
        test::DeleteKeyTree(HKEY_LOCAL_MACHINE, kVersionControlKeyPath);
        engine->Server = server.Url("/");
        engine->ProgramFolder = folder;
        engine->SelfPath = folder + "Tidewell.exe";
    }
    void TearDown() override {
        engine.reset();
        server.Stop();
        DoneMainThread();
        test::RemoveFolderTree(folder);
    }

    TFile& Entry(const std::string& name, size_t size, const std::string& dest = std::string()) {
        auto f = std::make_unique<TFile>(name);
        f->ProductName = "Product " + name;
        f->Description = "About " + name;
        f->FilePath = server.Url("/files/" + name);
        f->FileSize = static_cast<int32_t>(size);
        f->DestFile = dest.empty() ? name : dest;
        f->Version.Parse("2.0.1");
        info.Files.push_back(std::move(f));
        return *info.Files.back();
    }
    void Serve(const std::string& name, size_t size) {
        test::HttpReply r;
        r.patternSize = size;
        server.Serve("/files/" + name, r);
    }
    // Runs the session until it stands on its last page.
    bool Run() {
        engine->StartDownloads();
        return test::PumpMessagesUntil([this] { return host.Ended(); }, 60000);
    }
    bool Requested(const std::string& path) {
        for (const test::SeenRequest& r : server.Requests())
            if (r.target == path) return true;
        return false;
    }

    test::RegistrySnapshot keep{HKEY_LOCAL_MACHINE, "Software\\Zephlor"};
    test::MachineKey versions{kVersionControlKeyPath};
    test::TestHttpServer server;
    std::string folder = test::MakeTempFolder("download");
    test::RecordingHost host;
    TInfoFile info{"Untitled"};
    std::vector<std::string> cleanup;
    volatile bool stop = false;
    std::unique_ptr<TDownloadEngine> engine = std::make_unique<TDownloadEngine>(host, info, cleanup, stop);
};

TEST_F(DownloadEngineTest, TickedEntriesAreFetchedAndInstalledInTurn) {
    Entry("a.dll", 3 * 1024);
    Entry("b.dll", 5 * 1024);
    Entry("c.chm", 70000, "\\\\Help\\c.chm");
    Serve("a.dll", 3 * 1024);
    Serve("b.dll", 5 * 1024);
    Serve("c.chm", 70000);
    host.Checked = {true, false, true};

    ASSERT_TRUE(Run());
    EXPECT_TRUE(host.Errors.empty()) << host.Errors[0];
    EXPECT_EQ(std::vector<int>{5}, host.Pages);
    EXPECT_EQ(2u * (3 * 1024 + 70000), engine->TotalSize);
    EXPECT_EQ(engine->TotalSize, engine->TotalDone);
    EXPECT_EQ(100, host.TotalBars.back());
    EXPECT_EQ(test::PatternBody(3 * 1024), test::ReadText(folder + "a.dll"));
    EXPECT_EQ(test::PatternBody(70000), test::ReadText(folder + "Help\\c.chm"));
    EXPECT_FALSE(FileExists(folder + "b.dll"));
    EXPECT_FALSE(Requested("/files/b.dll"));
    EXPECT_EQ("2.0.1", versions.Text("a.dll"));
    EXPECT_EQ("<missing>", versions.Text("b.dll"));
    EXPECT_EQ("2.0.1", versions.Text("c.chm"));
    EXPECT_EQ((std::vector<std::string>{folder + "~a.dll", folder + "Help\\~c.chm"}), cleanup);
    EXPECT_EQ((std::vector<std::string>{"About a.dll", "About c.chm"}), host.Descriptions);
    EXPECT_FALSE(stop);
    EXPECT_TRUE(host.Infos.empty());  // nothing was running

    auto has = [&](const std::string& line) { return std::find(host.Lines.begin(), host.Lines.end(), line) != host.Lines.end(); };
    EXPECT_TRUE(has("Downloading Product a.dll - 3 KB / 3 KB ..."));
    EXPECT_TRUE(has("Installing Product c.chm - 68 KB / 68 KB ..."));
    EXPECT_EQ("Installing  Updates... 100%", host.Hints.back().substr(0, 27));
}

TEST_F(DownloadEngineTest, UnattendedSessionsCloseTheWindowAtTheEnd) {
    host.Silent = true;
    Entry("a.dll", 100);
    Serve("a.dll", 100);
    ASSERT_TRUE(Run());
    EXPECT_EQ(1, host.Closed);
    EXPECT_TRUE(host.Pages.empty());

    // Nothing ticked: the session ends at once.
    host = test::RecordingHost();
    host.Silent = true;
    host.Checked = {false};
    ASSERT_TRUE(Run());
    EXPECT_EQ(1, host.Closed);
}

TEST_F(DownloadEngineTest, FailuresStopTheSessionWithTheirCodeAndInstallNothing) {
    struct Case {
        const char* what;
        TErtd code;
        std::function<void(DownloadEngineTest&, TFile&)> arrange;
    } cases[] = {
        {"connection refused", TErtd::E813, [](DownloadEngineTest& t, TFile&) { t.engine->Server = "http://127.0.0.1:1/"; }},
        {"404 on HEAD", TErtd::E865, [](DownloadEngineTest&, TFile& f) { f.FilePath += ".missing"; }},
        {"server dies mid-body", TErtd::E886,
         [](DownloadEngineTest& t, TFile&) {
             test::HttpReply r;
             r.patternSize = 200000;
             r.closeAfter = 50000;
             t.server.Serve("/files/x.bin", r);
         }},
        {"body shorter than the list's size", TErtd::E886,
         [](DownloadEngineTest& t, TFile& f) {
             f.FileSize = 300000;
             test::HttpReply r;
             r.patternSize = 200000;
             r.sendLength = false;
             t.server.Serve("/files/x.bin", r);
         }},
        {"temporary file not creatable", TErtd::E898,
         [](DownloadEngineTest& t, TFile&) { CreateDirectoryA((t.folder + "~x.bin").c_str(), nullptr); }},
        {"destination outside the folder", TErtd::E898, [](DownloadEngineTest&, TFile& f) { f.DestFile = "..\\x.bin"; }},
        {"destination not creatable", TErtd::E1153,
         [](DownloadEngineTest& t, TFile& f) {
             f.DestFile = "sub\\x.bin";
             CreateDirectoryA((t.folder + "sub").c_str(), nullptr);
             CreateDirectoryA((t.folder + "sub\\x.bin").c_str(), nullptr);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        info.Files.clear();
        host = test::RecordingHost();
        cleanup.clear();
        engine->Server = server.Url("/");
        test::RemoveFolderTree(folder);
        CreateDirectoryA(folder.c_str(), nullptr);
        test::WriteText(folder + "x.bin", "old contents");
        TFile& f = Entry("x.bin", 200000);
        Entry("y.bin", 100);
        Serve("x.bin", 200000);
        Serve("y.bin", 100);
        c.arrange(*this, f);

        ASSERT_TRUE(Run());
        EXPECT_EQ(std::vector<std::string>{ErtdMessage(c.code)}, host.Errors);
        EXPECT_TRUE(host.Pages.empty());
        EXPECT_EQ("old contents", test::ReadText(folder + "x.bin"));
        EXPECT_FALSE(FileExists(folder + "~x.bin"));
        EXPECT_FALSE(FileExists(folder + "y.bin"));
        EXPECT_FALSE(Requested("/files/y.bin"));
        EXPECT_EQ("<missing>", versions.Text("x.bin"));
        EXPECT_FALSE(FileExists(ExtractFilePath(folder.substr(0, folder.size() - 1)) + "x.bin"));
    }
}

TEST_F(DownloadEngineTest, ARunningProgramIsClosedReplacedAndStartedAgainOnce) {
    std::string dest = folder + "QvDest.exe";
    test::RunningProbe running(dest);
    ASSERT_TRUE(running.Started());
    std::string update = test::ReadText(test::ProbeProgram()) + "version 2";  // still runnable
    Entry("QvDest.exe", update.size());
    test::HttpReply r;
    r.body = update;
    server.Serve("/files/QvDest.exe", r);

    ASSERT_TRUE(Run());
    EXPECT_TRUE(host.Errors.empty()) << host.Errors[0];
    EXPECT_EQ(std::vector<std::string>{kRunningMessageText}, host.Infos);
    EXPECT_TRUE(running.Exited());
    EXPECT_EQ(update, test::ReadText(dest));
    EXPECT_EQ("", engine->ProgramToRestart);
    // The restarted program logs an empty command line beside the first start's.
    std::vector<std::string> lines;
    for (int i = 0; i < 200 && lines.size() < 2; ++i, Sleep(50)) lines = test::Lines(test::ReadText(dest + ".log"));
    ASSERT_EQ(2u, lines.size());
    EXPECT_EQ("stay", lines[0].substr(0, 4));
    EXPECT_EQ("", lines[1]);
    TerminateProgram("QvDest.exe");
}

TEST_F(DownloadEngineTest, AProgramThatCannotBeEndedStopsTheSession) {
    test::WriteText(folder + "x.bin", "old contents");
    test::RunningProbe guarded(folder + "QvGuarded.exe", true);
    ASSERT_TRUE(guarded.Started());
    TFile& f = Entry("QvGuarded.exe", 100);
    f.ProductName = "Quorvane Helper";
    Serve("QvGuarded.exe", 100);
    ASSERT_TRUE(Run());
    EXPECT_EQ(std::vector<std::string>{ErtdMessage(TErtd::E835, "Quorvane Helper")}, host.Errors);
    EXPECT_EQ(1u, host.Infos.size());
    EXPECT_FALSE(Requested("/files/QvGuarded.exe"));
    EXPECT_FALSE(FileExists(folder + "~QvGuarded.exe"));
}

TEST_F(DownloadEngineTest, StopDuringATransferInstallsNothingAndLeavesNoPartialFile) {
    test::WriteText(folder + "x.bin", "old contents");
    Entry("x.bin", 1 << 20);
    test::HttpReply r;
    r.patternSize = 1 << 20;
    r.stallAfter = 100000;
    server.Serve("/files/x.bin", r);
    // Cancel, clicked while the transfer runs: set the flag, then ask the engine to stop.
    host.OnProgress = [this] {
        host.OnProgress = nullptr;
        Queue([this] {
            stop = true;
            engine->Stop();
        });
    };
    engine->StartDownloads();
    ASSERT_TRUE(test::PumpMessagesUntil([this] { return host.Terminations > 0; }, 30000));
    EXPECT_EQ(1, host.CloseForms);
    EXPECT_TRUE(host.Errors.empty());
    EXPECT_TRUE(host.Pages.empty());
    EXPECT_TRUE(engine->DownloadThread()->Finished());
    EXPECT_EQ("old contents", test::ReadText(folder + "x.bin"));
    EXPECT_FALSE(FileExists(folder + "~x.bin"));
    EXPECT_EQ("<missing>", versions.Text("x.bin"));
}

TEST_F(DownloadEngineTest, PauseHaltsTheTransferUntilResumed) {
    engine->Pause1Click();  // no download yet: nothing happens
    EXPECT_TRUE(host.PauseCaptions.empty());

    const size_t size = 8 << 20;
    Entry("x.bin", size);
    Serve("x.bin", size);
    host.OnProgress = [this] {
        host.OnProgress = nullptr;
        Queue([this] { engine->Pause1Click(); });  // clicked from the tray menu
    };
    engine->StartDownloads();
    ASSERT_TRUE(test::PumpMessagesUntil([this] { return engine->Paused(); }, 30000));
    EXPECT_EQ(std::vector<std::string>{"&Resume"}, host.PauseCaptions);
    EXPECT_EQ(" - Paused", host.Hints.back().substr(host.Hints.back().size() - 9));

    // While paused the worker takes nothing more: no progress, and the session goes on waiting.
    size_t lines = host.Lines.size();
    test::PumpMessagesUntil([] { return false; }, 500);
    EXPECT_LE(host.Lines.size(), lines + 1);  // at most the piece that was under way
    EXPECT_FALSE(host.Ended());
    EXPECT_LT(engine->BytesDone, static_cast<int64_t>(size));

    engine->Pause1Click();
    EXPECT_EQ((std::vector<std::string>{"&Resume", "&Pause"}), host.PauseCaptions);
    ASSERT_TRUE(test::PumpMessagesUntil([this] { return host.Ended(); }, 60000));
    EXPECT_TRUE(host.Errors.empty());
    EXPECT_EQ(test::PatternBody(size), test::ReadText(folder + "x.bin"));
}

}  // namespace
