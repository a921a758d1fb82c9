// The Options page of the real main window: its groups, every handler writing through to the
// registry, the refresh rate driving the monitor timer, and the shortcut registered, stored and
// pressed from another program.
#include "quorvane/settings/OptionsPage.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include "common/core/Paths.h"
#include "common/thread/Thread.h"
#include "common/ui/Application.h"
#include "quorvane/memory/RelThrd.h"
#include "quorvane/shell/MainUnit.h"
#include "tests/options/HotKeyTool.h"
#include "tests/support/MachineKey.h"
#include "tests/support/MessageBoxCatcher.h"
#include "tests/support/MessagePump.h"
#include "tests/support/RegistrySnapshot.h"

using namespace qv;

namespace {
const char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

// The Run value "Quorvane", or "<missing>".
std::string RunValue() {
    TRegistry reg(KEY_READ);
    reg.SetRootKey(HKEY_CURRENT_USER);
    std::string v = "<missing>";
    if (reg.OpenKeyReadOnly(kRunKey) == ERROR_SUCCESS) reg.ReadString("Quorvane", v);
    return v;
}

// One main window for the suite, started on an empty options key (so every option is its
// default) and no Run value.
class OptionsPage : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        keepOptions = new test::RegistrySnapshot(HKEY_LOCAL_MACHINE, "Software\\Zephlor");
        keepRun = new test::RegistrySnapshot(HKEY_CURRENT_USER, kRunKey);
        test::DeleteKeyTree(HKEY_LOCAL_MACHINE, kOptionsKeyPath);
        test::CreateKey(HKEY_LOCAL_MACHINE, kOptionsKeyPath);
        test::CreateKey(HKEY_CURRENT_USER, kRunKey);
        HKEY run;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, kRunKey, 0, KEY_SET_VALUE, &run) == ERROR_SUCCESS) {
            RegDeleteValueA(run, "Quorvane");
            RegCloseKey(run);
        }
        ui::Application().Initialize();
        if (!IsMainThread()) InitMainThread();
        form = new TMainForm();
        form->Show();
        page = form->OptionsPage.get();
        form->SelectPage(piOptions);
    }
    static void TearDownTestSuite() {
        delete form;
        form = nullptr;
        delete keepRun;
        delete keepOptions;
    }
    static void Click(ui::TControl* c) { SendMessageA(c->Handle(), BM_CLICK, 0, 0); }
    // Picks a line of the combo box as the user does: the selection, then its notification.
    static void Choose(ui::TComboBox* combo, int index) {
        SendMessageA(combo->Handle(), CB_SETCURSEL, index, 0);
        SendMessageA(GetParent(combo->Handle()), WM_COMMAND,
                     MAKEWPARAM(GetDlgCtrlID(combo->Handle()), CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(combo->Handle()));
    }
    // Types a combination into the hot-key field.
    static void TypeShortcut(TShortCut code) {
        BYTE key = 0, flags = 0;
        HotKeyFieldFromShortCut(code, key, flags);
        SendMessageA(page->RzHotKeyEdit1->Handle(), HKM_SETHOTKEY, MAKEWORD(key, flags), 0);
    }
    static bool WashRunning() { return !form->RzButton1->Enabled(); }

    static test::RegistrySnapshot* keepOptions;
    static test::RegistrySnapshot* keepRun;
    static TMainForm* form;
    static TOptionsPage* page;
    test::MachineKey options{kOptionsKeyPath};
};
test::RegistrySnapshot* OptionsPage::keepOptions = nullptr;
test::RegistrySnapshot* OptionsPage::keepRun = nullptr;
TMainForm* OptionsPage::form = nullptr;
TOptionsPage* OptionsPage::page = nullptr;
}  // namespace

TEST_F(OptionsPage, GroupsCaptionsAndStartingState) {
    struct Group {
        ui::TControl* box;
        const char* caption;
        int left, top, width, height;
    } groups[] = {
        {page->RzGroupBox9, "Program Options", 8, 8, 580, 104},
        {page->RzGroupBox11, "Monitor Refresh Rate", 8, 204, 580, 96},
        {page->RzGroupBox17, "Quorvane Shortcut", 8, 304, 580, 116},
    };
    for (const Group& g : groups) {
        EXPECT_EQ(form->Options, g.box->Parent()) << g.caption;
        EXPECT_EQ(g.caption, g.box->Caption());
        EXPECT_EQ(g.left, g.box->Left()) << g.caption;
        EXPECT_EQ(g.top, g.box->Top()) << g.caption;
        EXPECT_EQ(g.width, g.box->Width()) << g.caption;
        EXPECT_EQ(g.height, g.box->Height()) << g.caption;
    }
    struct Box {
        ui::TCheckBox* box;
        const char* caption;
        bool checked;  // from an empty options key: only the splash option is on
    } boxes[] = {
        {page->RzCheckBox1, "Load Quorvane at Windows startup", false},
        {page->RzCheckBox2, "Start Quorvane in system tray", false},
        {page->RzCheckBox3, "&Show splash screen at startup", true},
        {page->RzCheckBox4, "Close Quorvane after cleaning", false},
    };
    for (const Box& b : boxes) {
        EXPECT_EQ(b.caption, b.box->Caption());
        EXPECT_EQ(b.checked, b.box->Checked()) << b.caption;
    }
    ASSERT_EQ(kRefreshRateCount, page->RzComboBox1->Count());
    const char* texts[] = {"0.5 Seconds", "1 Second",    "1.5 Seconds", "2  Seconds", "2.5 Seconds",
                           "3 Seconds",   "3.5 Seconds", "4 Seconds",   "4.5 Seconds", "5 Seconds"};
    for (int i = 0; i < kRefreshRateCount; ++i) EXPECT_EQ(texts[i], page->RzComboBox1->Item(i));
    EXPECT_EQ(0, page->RzComboBox1->ItemIndex());
    EXPECT_EQ(500u, form->MemoryTimer.Interval()) << "the stored index 0 is applied at start";
    EXPECT_EQ("Register Shortcut", page->RzBitBtn1->Caption());
    EXPECT_EQ(0, page->RzHotKeyEdit1->Key()) << "no shortcut stored: the field is empty";
    EXPECT_FALSE(page->JvApplicationHotKey1.Active());
    EXPECT_EQ(-1, options.Number("Shortcut")) << "not created by the start-up";
}

TEST_F(OptionsPage, EveryRefreshRateSetsTheMonitorTimerAndIsStored) {
    for (int i = kRefreshRateCount - 1; i >= 0; --i) {
        Choose(page->RzComboBox1, i);
        EXPECT_EQ(static_cast<UINT>((i + 1) * 500), form->MemoryTimer.Interval()) << i;
        EXPECT_EQ(i, options.Number("AutoRefreshTimerInt"));
        EXPECT_EQ(i, form->Settings->AutoRefreshInterval());
    }
    Choose(page->RzComboBox1, 3);
    EXPECT_EQ("2  Seconds", page->RzComboBox1->Item(page->RzComboBox1->ItemIndex()));
    EXPECT_EQ(2000u, form->MemoryTimer.Interval());
    EXPECT_EQ(3, options.Number("AutoRefreshTimerInt"));
}

TEST_F(OptionsPage, EachProgramOptionIsWrittenAtOnce) {
    Click(page->RzCheckBox1);
    EXPECT_EQ(ModuleFileName(), RunValue()) << "ticking writes the Run value at once";
    Click(page->RzCheckBox1);
    EXPECT_EQ("<missing>", RunValue()) << "unticking deletes it";

    struct Case {
        ui::TCheckBox* box;
        const char* value;
    } cases[] = {{page->RzCheckBox2, "LoadQVSystemTray"},
                 {page->RzCheckBox3, "ShowSplashOnStartup"},
                 {page->RzCheckBox4, "CloseQVAfterWash"}};
    for (const Case& c : cases) {
        for (int round = 0; round < 2; ++round) {
            Click(c.box);
            EXPECT_EQ(c.box->Checked() ? 1 : 0, options.Number(c.value)) << c.value;
        }
    }
    EXPECT_FALSE(page->RzCheckBox4->Checked());
}

TEST_F(OptionsPage, RegisterShortcutStoresTheFieldTakenOrNot) {
    const TShortCut free = scCtrl | scAlt | VK_F11;
    const TShortCut taken = scCtrl | scShift | VK_F10;
    test::MessageBoxCatcher boxes(IDOK);

    TypeShortcut(free);
    Click(page->RzBitBtn1);
    EXPECT_EQ(free, options.Number("Shortcut"));
    EXPECT_TRUE(page->JvApplicationHotKey1.Active());
    EXPECT_EQ(free, page->JvApplicationHotKey1.HotKey());
    EXPECT_FALSE(test::ShortcutHolder(free).Held()) << "registered with the system";

    {
        test::ShortcutHolder other(taken);
        ASSERT_TRUE(other.Held());
        TypeShortcut(taken);
        Click(page->RzBitBtn1);
        ASSERT_TRUE(boxes.WaitFor(1));
        EXPECT_EQ("Quorvane failed to register this shortcut key as it is currently used by another Windows "
                  "application\rPlease select another shortcut key and try again",
                  boxes.Texts()[0]);
        EXPECT_EQ(taken, options.Number("Shortcut")) << "stored all the same";
        EXPECT_FALSE(page->JvApplicationHotKey1.Active());
    }
    EXPECT_TRUE(test::ShortcutHolder(free).Held()) << "the earlier key was given back";

    SendMessageA(page->RzHotKeyEdit1->Handle(), HKM_SETHOTKEY, 0, 0);
    Click(page->RzBitBtn1);
    EXPECT_EQ(0, options.Number("Shortcut")) << "an empty field stores 0";
    EXPECT_FALSE(page->JvApplicationHotKey1.Active());
    EXPECT_EQ(1u, boxes.Texts().size()) << "an empty field is no key taken by anyone";

    // Without the options key: registered, but nothing stored and nothing said.
    test::DeleteKeyTree(HKEY_LOCAL_MACHINE, kOptionsKeyPath);
    TypeShortcut(free);
    Click(page->RzBitBtn1);
    EXPECT_TRUE(page->JvApplicationHotKey1.Active());
    HKEY k;
    EXPECT_NE(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, kOptionsKeyPath, 0, KEY_READ, &k)) << "never created";
    test::CreateKey(HKEY_LOCAL_MACHINE, kOptionsKeyPath);
    EXPECT_EQ(1u, boxes.Texts().size());
}

TEST_F(OptionsPage, TheShortcutFromAnotherProgramWashesAsCleanNowDoesAlsoFromTheTray) {
    const TShortCut code = scCtrl | scAlt | VK_F12;
    form->JvTrackBar1->SetPosition(1);  // a small wash
    TypeShortcut(code);
    Click(page->RzBitBtn1);
    ASSERT_TRUE(page->JvApplicationHotKey1.Active());

    for (bool inTray : {false, true}) {
        SCOPED_TRACE(inTray ? "in the tray" : "shown");
        if (inTray) form->HideToTray();
        // Holding the wash lock keeps the wash waiting, so its start can be seen before it ends.
        WashLock.Enter();
        bool sent = test::SendShortcutFromAnotherProgram(code);
        bool started = sent && test::PumpMessagesUntil([&] { return WashRunning(); });
        // The wash disables "Clean Now" and "Wash Now!" and shows the hourglass until it ends.
        bool menuDisabled = !form->WashMemoryNow1->Enabled;
        bool hourglass = ui::ScreenCursor() == ui::TCursor::HourGlass;
        WashLock.Leave();
        ASSERT_TRUE(sent);
        ASSERT_TRUE(started);
        EXPECT_TRUE(menuDisabled);
        EXPECT_TRUE(hourglass);
        EXPECT_TRUE(test::PumpMessagesUntil([&] { return !WashRunning(); }, 60000));
        EXPECT_EQ(ui::TCursor::Default, ui::ScreenCursor());
    }
    form->RestoreFromTray();
}
