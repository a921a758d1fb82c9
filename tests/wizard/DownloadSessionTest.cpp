// The wizard with its download engine against a server on 127.0.0.1: the shipped Tidewell.exe
// updating a program folder of its own unattended, and page 4 of the wizard in this process.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "common/core/Paths.h"
#include "tests/support/TestHttpServer.h"
#include "tests/support/TestPaths.h"
#include "tests/updatelist/ListCheckFixture.h"
#include "tidewell/download/DownloadEngine.h"
#include "tidewell/download/DownloadThread.h"
#include "tidewell/updatelist/UpdateServer.h"

using namespace qv;

namespace {

struct Offer {
    std::string fileName;     // the VersionControl name
    std::string version;
    std::string productName;
    std::string dest;         // as the list writes it
    size_t size;
};

std::string OfferList(const test::TestHttpServer& server, const std::vector<Offer>& offers) {
    std::string entries;
    for (const Offer& o : offers)
        entries += "  <file><filename>" + o.fileName + "</filename><version>" + o.version + "</version><productname>" +
                   o.productName + "</productname><description>About " + o.productName +
                   "</description><filepath>" + server.Url("/files/" + o.fileName) + "</filepath><filesize>" +
                   std::to_string(o.size) + "</filesize><destfile>" + o.dest +
                   "</destfile><force>0</force><defaultdownload>1</defaultdownload></file>\r\n";
    std::string header = "<name>Quorvane updates</name>\r\n<productname>Quorvane</productname>\r\n"
                         "<productversion>5.1.1</productversion>\r\n<filecount>" +
                         std::to_string(offers.size()) + "</filecount>\r\n<terminate></terminate>\r\n"
                         "<terminatemsg></terminatemsg>\r\n";
    return test::ListXml(entries, header);
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return "<missing>";
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// The names in a folder that start with "~" (temporary and set-aside files).
std::vector<std::string> TildeFiles(const std::string& folder) {
    std::vector<std::string> found;
    WIN32_FIND_DATAA d;
    HANDLE h = FindFirstFileA((folder + "~*").c_str(), &d);
    if (h == INVALID_HANDLE_VALUE) return found;
    do found.push_back(d.cFileName);
    while (FindNextFileA(h, &d));
    FindClose(h);
    return found;
}

// The paths of the GET requests, in the order the server saw them.
std::vector<std::string> Gets(const test::TestHttpServer& server) {
    std::vector<std::string> gets;
    for (const test::SeenRequest& r : server.Requests())
        if (r.method == "GET") gets.push_back(r.target);
    return gets;
}

// Runs Tidewell.exe from `folder` with `args`; true when it ended by itself. The limit only
// keeps a hanging program from hanging the suite.
bool RunUpdater(const std::string& folder, const std::string& args) {
    std::string exe = folder + "Tidewell.exe";
    std::string line = "\"" + exe + "\" " + args;
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(exe.c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return false;
    bool ended = WaitForSingleObject(pi.hProcess, 120000) == WAIT_OBJECT_0;
    if (!ended) {
        TerminateProcess(pi.hProcess, 1);
        WaitForSingleObject(pi.hProcess, 10000);
    }
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    return ended;
}

class DownloadSessionTest : public test::ListCheckFixture {};

}  // namespace

TEST_F(DownloadSessionTest, SilentRunInstallsTheNewerEntriesInOrderAndTheNextRunOffersNothing) {
    std::string folder = test::MakeTempFolder("wired");
    ASSERT_TRUE(CopyFileA((test::ShippedProgramFolder() + "Tidewell.exe").c_str(), (folder + "Tidewell.exe").c_str(), FALSE));
    CreateDirectoryA((folder + "Help").c_str(), nullptr);
    std::ofstream(folder + "Help\\Quorvane.chm", std::ios::binary) << "old help";

    test::TestHttpServer server;
    std::vector<Offer> offers = {{"Readme.txt", "1.0.0", "Read me", "Readme.txt", 700},
                                 {"Quorvane.exe", "5.1.0", "Quorvane", "Quorvane.exe", 900},
                                 {"Quorvane.chm", "5.1.1", "Help", "\\Help\\Quorvane.chm", 70000}};
    test::HttpReply list;
    list.body = OfferList(server, offers);
    server.Serve(kUpdateListPath, list);
    for (const Offer& o : offers) {
        test::HttpReply file;
        file.patternSize = o.size;
        server.Serve("/files/" + o.fileName, file);
    }
    Install({{"Quorvane.exe", "5.1.0"}, {"Quorvane.chm", "5.1.0"}});
    PointAt("http://127.0.0.1:" + std::to_string(server.Port()));

    ASSERT_TRUE(RunUpdater(folder, "-S")) << "the unattended session ends by itself";
    EXPECT_EQ((std::vector<std::string>{kUpdateListPath, "/files/Readme.txt", "/files/Quorvane.chm"}), Gets(server));
    EXPECT_EQ(test::PatternBody(700), ReadAll(folder + "Readme.txt"));
    EXPECT_EQ(test::PatternBody(70000), ReadAll(folder + "Help\\Quorvane.chm"));
    EXPECT_FALSE(FileExists(folder + "Quorvane.exe")) << "not newer than the installed one";
    EXPECT_EQ("1.0.0", versions.Text("Readme.txt"));
    EXPECT_EQ("5.1.1", versions.Text("Quorvane.chm"));
    EXPECT_EQ("5.1.0", versions.Text("Quorvane.exe"));
    EXPECT_EQ(std::vector<std::string>{}, TildeFiles(folder));
    EXPECT_EQ(std::vector<std::string>{}, TildeFiles(folder + "Help\\"));
    EXPECT_FALSE(FileExists(folder + kListFileName));

    size_t before = Gets(server).size();
    ASSERT_TRUE(RunUpdater(folder, "-S")) << "nothing offered: the updater ends quietly";
    std::vector<std::string> gets = Gets(server);
    EXPECT_EQ((std::vector<std::string>{kUpdateListPath}), std::vector<std::string>(gets.begin() + before, gets.end()));
    EXPECT_EQ(test::PatternBody(70000), ReadAll(folder + "Help\\Quorvane.chm"));
    EXPECT_FALSE(FileExists(folder + kListFileName));

    server.Stop();
    test::RemoveFolderTree(folder);
}

TEST_F(DownloadSessionTest, InstallWithNothingTickedGoesToTheClosingPage) {
    test::TestHttpServer server;
    test::HttpReply list;
    list.body = OfferList(server, {{"Readme.txt", "1.0.0", "Read me", "wiretest\\Readme.txt", 700}});
    server.Serve(kUpdateListPath, list);
    PointAt("http://127.0.0.1:" + std::to_string(server.Port()));
    auto f = Start();
    SendMessageA(f->btnNext->Handle(), BM_CLICK, 0, 0);
    ASSERT_TRUE(CheckEnded(*f));
    ASSERT_EQ(3, f->CurrentPage);
    f->Frame3->CheckListBox1->SetChecked(0, false);
    SendMessageA(f->btnNext->Handle(), BM_CLICK, 0, 0);  // Install
    EXPECT_EQ(5, f->CurrentPage);
    EXPECT_EQ(kFinishCaption, f->btnNext->Caption());
    EXPECT_EQ((std::vector<std::string>{kUpdateListPath}), Gets(server)) << "nothing downloaded";
    server.Stop();
}

TEST_F(DownloadSessionTest, PageFourShowsTheTransferAndTheTrayMenuPausesAndStopsIt) {
    const size_t size = 340 * 1024;
    test::TestHttpServer server;
    test::HttpReply list;
    list.body = OfferList(server, {{"Quorvane.chm", "5.1.1", "Help", "wiretest\\Quorvane.chm", size}});
    server.Serve(kUpdateListPath, list);
    test::HttpReply file;
    file.patternSize = size;
    // The server goes silent part way: the first read (4 KB) arrives, the next one waits.
    file.stallAfter = 4 * 1024 + 100;
    server.Serve("/files/Quorvane.chm", file);
    PointAt("http://127.0.0.1:" + std::to_string(server.Port()));
    std::string dest = ProgramFolder() + "wiretest\\";

    auto f = Start();
    SendMessageA(f->btnNext->Handle(), BM_CLICK, 0, 0);
    ASSERT_TRUE(CheckEnded(*f));
    ASSERT_EQ(3, f->CurrentPage);
    EXPECT_EQ("&Pause", f->Pause1->Caption);
    f->Pause1->Click();  // no download yet: nothing happens
    EXPECT_EQ("&Pause", f->Pause1->Caption);

    SendMessageA(f->btnNext->Handle(), BM_CLICK, 0, 0);  // Install
    ASSERT_EQ(4, f->CurrentPage);
    EXPECT_TRUE(test::PumpMessagesUntil(
        [&] { return f->Frame4->Label1->Caption() == "Downloading Help - 4 KB / 340 KB ..."; }, 60000))
        << f->Frame4->Label1->Caption();
    EXPECT_EQ("About Help", f->Frame4->RichEdit1->Text());
    EXPECT_EQ(1, f->Frame4->ProgressBar2->PartsComplete()) << "4 KB of twice 340 KB";
    EXPECT_EQ("Downloading  Updates... 1%", f->CoolTrayIcon1.Hint());
    EXPECT_TRUE(FileExists(dest + "~Quorvane.chm"));

    f->Pause1->Click();
    EXPECT_EQ("&Resume", f->Pause1->Caption);
    EXPECT_EQ("Downloading  Updates... 1% - Paused", f->CoolTrayIcon1.Hint());
    f->Pause1->Click();
    EXPECT_EQ("&Pause", f->Pause1->Caption);

    f->StopandExit1->Click();
    EXPECT_FALSE(f->Visible());
    ASSERT_NE(nullptr, f->Downloads()->DownloadThread());
    EXPECT_TRUE(f->Downloads()->DownloadThread()->Finished()) << "the stop waits for the worker";
    EXPECT_FALSE(FileExists(dest + "~Quorvane.chm")) << "no partial file is left";
    EXPECT_FALSE(FileExists(dest + "Quorvane.chm"));
    EXPECT_EQ("<missing>", versions.Text("Quorvane.chm"));
    f.reset();
    server.Stop();
    test::RemoveFolderTree(dest);
}
