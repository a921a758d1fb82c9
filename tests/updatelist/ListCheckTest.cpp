// The list check end to end: update lists served over HTTP on 127.0.0.1, fetched by the real
// worker, read on the main thread into page 3, or reported on page 7.
#include <gtest/gtest.h>

#include <fstream>

#include "common/core/Text.h"
#include "tests/support/TestHttpServer.h"
#include "tests/updatelist/ListCheckFixture.h"
#include "tidewell/record/ReportUnit.h"
#include "tidewell/record/SessionRecord.h"
#include "tidewell/updatelist/ErrorCodes.h"
#include "tidewell/updatelist/UpdateServer.h"

using namespace qv;
using namespace qv::test;

namespace {

// Quorvane.exe 2.1.0, Help\Quorvane.chm 1.0.0 and Skin.dll 3.0.0 are installed.
const std::vector<std::pair<std::string, std::string>> kInstalled = {
    {"Quorvane.exe", "2.1.0"}, {"Help\\Quorvane.chm", "1.0.0"}, {"Skin.dll", "3.0.0"}};

// Four entries: Quorvane.exe newer, ticked; the help file not newer and full of bad values;
// Tidewell.exe not installed at all and forced; Skin.dll older than installed.
std::string GoodEntries(const std::string& productName = "Quorvane.exe update") {
    return "  <file><filename>Quorvane.exe</filename><version>2.2.0</version><productname>" + productName +
           "</productname><description>The main program.\nFaster washes.</description>"
           "<filepath>#SELF#?get=Quorvane.exe</filepath><filesize>524288</filesize><destfile>Quorvane.exe</destfile>"
           "<force>0</force><defaultdownload>TRUE</defaultdownload><finished>restart</finished>"
           "<finishedmsg>Done</finishedmsg></file>\r\n"
           "  <file><filename>Help\\Quorvane.chm</filename><version>1.0.0</version><filesize>12k</filesize>"
           "<force>yes</force><defaultdownload>maybe</defaultdownload><description><b>x</b></description></file>\r\n"
           "  <file><filename>Tidewell.exe</filename><version> 1.5 </version><productname>Tidewell updater"
           "</productname><filesize>65536</filesize><destfile>#temp#Tidewell.exe</destfile><force>1</force>"
           "<defaultdownload>false</defaultdownload></file>\r\n" +
           Entry("Skin.dll", "2.9.9", "", "yes", "maybe", "12k");
}

struct Line {
    std::string text;
    bool ticked;
};

struct Case {
    const char* name;
    std::string body;             // what the list address answers with
    bool serve = true;            // false: the address is not served (404)
    bool refused = false;         // the server is gone before the check
    bool sendLength = true;
    size_t closeAfter = HttpReply::kNever;
    int page = 0;                 // expected page
    TErtd error = TErtd::E501;    // when page is 7
    std::vector<Line> lines;      // page 3's check list
    int bar = -1;                 // the search page's bar at the end (-1: not looked at)
};

std::string Utf16(const std::wstring& text) {
    std::string bytes("\xFF\xFE", 2);
    for (wchar_t c : text) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>(c >> 8);
    }
    return bytes;
}

class ListCheckTest : public ListCheckFixture {};

}  // namespace

TEST_F(ListCheckTest, ListsGiveTheirPageOrError) {
    const std::string cafe = WideToAnsi(L"Caf\u00e9 Skin");
    std::wstring wideList = AnsiToWide(ListXml(GoodEntries("QUORVANE_NAME"), "", "<?xml version=\"1.0\" encoding=\"UTF-16\"?>"));
    wideList.replace(wideList.find(L"QUORVANE_NAME"), 13, L"Caf\u00e9 Skin");
    std::string latin1 = ListXml(GoodEntries("Caf\xE9 Skin"), "", "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>");
    std::vector<Line> good = {{"Quorvane.exe update", true}, {"Tidewell updater", false}};
    std::vector<Line> accented = {{cafe, true}, {"Tidewell updater", false}};
    const std::string header = "<name>n</name><productname>p</productname><productversion>1</productversion>"
                               "<terminate>t</terminate>";

    Case cases[] = {
        // The last offered entry is the third of four: 50 + round(3 / 4 x 50) = 88.
        {"good list", ListXml(GoodEntries()), true, false, true, HttpReply::kNever, 3, TErtd::E501, good, 88},
        {"no content length", ListXml(GoodEntries()), true, false, false, HttpReply::kNever, 3, TErtd::E501, good, 88},
        {"ISO-8859-1", latin1, true, false, true, HttpReply::kNever, 3, TErtd::E501, accented, -1},
        {"UTF-16", Utf16(wideList), true, false, true, HttpReply::kNever, 3, TErtd::E501, accented, -1},
        {"nothing newer", ListXml(Entry("Quorvane.exe", "2.1.0") + Entry("Skin.dll", "", "", "x", "y", "z")), true,
         false, true, HttpReply::kNever, 6, TErtd::E501, {}, 50},
        {"terminatemsg missing", ListXml(Entry("A.dll", "1.0.0"), header + "<filecount>1</filecount>"), true, false,
         true, HttpReply::kNever, 7, TErtd::E537, {}, -1},
        {"filecount not a number",
         ListXml(Entry("A.dll", "1.0.0"), header + "<terminatemsg/><filecount>four</filecount>"), true, false, true,
         HttpReply::kNever, 7, TErtd::E537, {}, -1},
        {"header element not a text",
         ListXml(Entry("A.dll", "1.0.0"), header + "<terminatemsg><b/></terminatemsg><filecount>1</filecount>"),
         true, false, true, HttpReply::kNever, 7, TErtd::E537, {}, -1},
        {"comment before the component", "<updates><!-- c --><component/></updates>", true, false, true,
         HttpReply::kNever, 7, TErtd::E537, {}, -1},
        {"offered filesize 12k", ListXml(Entry("A.dll", "1.0.0") + Entry("B.dll", "1.0.0", "", "0", "1", "12k")), true,
         false, true, HttpReply::kNever, 7, TErtd::E683, {}, -1},
        {"offered force yes", ListXml(Entry("A.dll", "1.0.0", "", "yes")), true, false, true, HttpReply::kNever, 7,
         TErtd::E683, {}, -1},
        {"file count 0", ListXml(Entry("A.dll", "1.0.0"), header + "<terminatemsg/><filecount>0</filecount>"), true,
         false, true, HttpReply::kNever, 7, TErtd::E683, {}, -1},
        {"no file element", ListXml(""), true, false, true, HttpReply::kNever, 7, TErtd::E683, {}, -1},
        {"not well-formed", ListXml(Entry("A.dll", "1.0.0")).substr(0, 200), true, false, true, HttpReply::kNever, 7,
         TErtd::E683, {}, -1},
        {"connection refused", "", true, true, true, HttpReply::kNever, 7, TErtd::E655, {}, 0},
        {"404 on HEAD", "", false, false, true, HttpReply::kNever, 7, TErtd::E671, {}, 25},
        {"server dies mid-body", ListXml(GoodEntries()), true, false, true, 300, 7, TErtd::E683, {}, -1},
    };

    Install(kInstalled);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestHttpServer server;
        if (c.serve) {
            HttpReply reply;
            reply.body = c.body;
            reply.sendLength = c.sendLength;
            reply.closeAfter = c.closeAfter;
            server.Serve(kUpdateListPath, reply);
        }
        DeleteKeyTree(HKEY_LOCAL_MACHINE, kTidewellKeyPath);
        PointAt("http://127.0.0.1:" + std::to_string(server.Port()));
        if (c.refused) server.Stop();
        bool listArrives = c.serve && !c.refused && c.closeAfter == HttpReply::kNever;
        if (listArrives) std::ofstream(ListFile()) << "a stale list of an earlier check";

        auto f = Start();
        SendMessageA(f->btnNext->Handle(), BM_CLICK, 0, 0);
        ASSERT_TRUE(CheckEnded(*f));
        EXPECT_EQ(c.page, f->CurrentPage);
        EXPECT_FALSE(FileExists(ListFile())) << "the temporary list is gone after every check";
        if (c.bar >= 0) {
            EXPECT_EQ(c.bar, f->Frame2->ProgressBar1->PartsComplete());
        }
        if (c.page == 7) {
            std::string message = ErtdMessage(c.error);
            EXPECT_EQ(message, f->Frame7->Label2->Caption());
            EXPECT_EQ(SessionErrorText(message), tidewell.Text("LastStr"));
            f->ReportForm().Show();
            EXPECT_EQ(SessionErrorText(message), f->ReportForm().RichEdit1->Text());
            f->ReportForm().Hide();
            EXPECT_EQ("&Finish", f->btnNext->Caption());
        } else {
            EXPECT_EQ("<missing>", tidewell.Text("LastStr")) << "nothing is recorded before Finish";
        }
        if (c.page == 3) {
            EXPECT_EQ("Done.", f->Frame2->Label3->Caption());
            EXPECT_EQ("&Install", f->btnNext->Caption());
            ASSERT_EQ(c.lines.size(), static_cast<size_t>(f->Frame3->CheckListBox1->Count()));
            ASSERT_EQ(c.lines.size(), f->UpdateInfo->Files.size());
            for (size_t i = 0; i < c.lines.size(); ++i) {
                EXPECT_EQ(c.lines[i].text, f->Frame3->CheckListBox1->Item(static_cast<int>(i))) << i;
                EXPECT_EQ(c.lines[i].ticked, f->Frame3->CheckListBox1->Checked(static_cast<int>(i))) << i;
                EXPECT_EQ(c.lines[i].text, f->UpdateInfo->Files[i]->ProductName) << i;
            }
            EXPECT_EQ("Quorvane updates", f->UpdateInfo->Name);
            EXPECT_EQ("Quorvane", f->UpdateInfo->ProductName);
            EXPECT_EQ("2.2.0", f->UpdateInfo->ProductVersion.ToText());
            EXPECT_EQ("Quorvane will be closed.", f->UpdateInfo->TerminateMsg);
        }
        server.Stop();
    }
}

// Every field of an offered entry, macros expanded, and the forced line on page 3.
TEST_F(ListCheckTest, OfferedEntriesCarryTheirValuesAndForcedLinesStayTicked) {
    Install(kInstalled);
    TestHttpServer server;
    HttpReply reply;
    reply.body = ListXml(GoodEntries());
    server.Serve(kUpdateListPath, reply);
    PointAt("http://127.0.0.1:" + std::to_string(server.Port()));
    auto f = Start();
    SendMessageA(f->btnNext->Handle(), BM_CLICK, 0, 0);
    ASSERT_TRUE(CheckEnded(*f));
    ASSERT_EQ(3, f->CurrentPage);
    ASSERT_EQ(2u, f->UpdateInfo->Files.size());

    const TFile& core = *f->UpdateInfo->Files[0];
    EXPECT_EQ("Quorvane.exe", core.FileName);
    EXPECT_EQ(ModuleFileName() + "?get=Quorvane.exe", core.FilePath);
    EXPECT_EQ(524288, core.FileSize);
    EXPECT_EQ("Quorvane.exe", core.DestFile);
    EXPECT_EQ("2.2.0", core.Version.ToText());
    EXPECT_FALSE(core.Force);
    EXPECT_TRUE(core.DefaultDownload);
    EXPECT_EQ("The main program.\nFaster washes.", core.Description);
    EXPECT_EQ("restart", core.Finished);
    EXPECT_EQ("Done", core.FinishedMsg);
    const TFile& updater = *f->UpdateInfo->Files[1];
    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, MAX_PATH);
    EXPECT_EQ(std::string(windows) + "\\Temp\\Tidewell.exe", updater.DestFile);
    EXPECT_EQ("1.5.0", updater.Version.ToText());
    EXPECT_TRUE(updater.Force);
    EXPECT_FALSE(updater.DefaultDownload);
    EXPECT_EQ("", updater.Description);

    ui::TCheckListBox* list = f->Frame3->CheckListBox1;
    auto clickBox = [&](int line) {
        RECT r{};
        SendMessageA(list->Handle(), LB_GETITEMRECT, line, reinterpret_cast<LPARAM>(&r));
        LPARAM at = MAKELPARAM(r.left + 7, (r.top + r.bottom) / 2);
        SendMessageA(list->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
        SendMessageA(list->Handle(), WM_LBUTTONUP, 0, at);
    };
    clickBox(0);  // an ordinary line toggles
    EXPECT_FALSE(list->Checked(0));
    EXPECT_EQ("The main program.\r\nFaster washes.", f->Frame3->RichEdit1->Text());
    clickBox(0);
    EXPECT_TRUE(list->Checked(0));
    clickBox(1);  // the forced line, not ticked by default, is ticked by the click and stays so
    EXPECT_TRUE(list->Checked(1));
    EXPECT_EQ("", f->Frame3->RichEdit1->Text());
    clickBox(1);
    EXPECT_TRUE(list->Checked(1));
    list->SetItemIndex(0);
    SendMessageA(list->Handle(), WM_KEYDOWN, VK_DOWN, 0);
    SendMessageA(list->Handle(), WM_KEYUP, VK_DOWN, 0);
    EXPECT_EQ(1, list->ItemIndex());
    SendMessageA(list->Handle(), WM_KEYDOWN, VK_SPACE, 0);  // nor can the space bar untick it
    SendMessageA(list->Handle(), WM_KEYUP, VK_SPACE, 0);
    EXPECT_TRUE(list->Checked(1));
    server.Stop();
}

TEST_F(ListCheckTest, SilentModeGoesStraightToDownloadingOrEndsQuietly) {
    Install(kInstalled);
    RecordSessionResult("earlier session");
    struct SilentCase {
        const char* name;
        std::string body;
        int page;
        bool visible;
    } cases[] = {
        {"updates offered", ListXml(GoodEntries()), 4, true},
        {"nothing newer", ListXml(Entry("Quorvane.exe", "2.0.0")), 1, false},
    };
    for (const SilentCase& c : cases) {
        SCOPED_TRACE(c.name);
        TestHttpServer server;
        HttpReply reply;
        reply.body = c.body;
        server.Serve(kUpdateListPath, reply);
        PointAt("http://127.0.0.1:" + std::to_string(server.Port()));
        int downloads = 0;
        auto f = Start({"-S"}, [&](TMainForm& form) { form.OnStartDownloads = [&] { ++downloads; }; });
        ASSERT_TRUE(CheckEnded(*f, 1));
        EXPECT_EQ(c.page, f->CurrentPage);
        EXPECT_EQ(c.visible, f->Visible());
        EXPECT_EQ(c.page == 4 ? 1 : 0, downloads);
        if (c.page == 4) {
            EXPECT_EQ(2, f->Frame3->CheckListBox1->Count());
            EXPECT_TRUE(f->Frame3->CheckListBox1->Checked(0));
        }
        EXPECT_EQ("earlier session", tidewell.Text("LastStr"));
        server.Stop();
    }
}
