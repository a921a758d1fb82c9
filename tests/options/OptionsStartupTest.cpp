// The start-up of the real main window with options stored before it: the shortcut comes first,
// then the options into the page in their order, each box's handler running when it ticks, and
// the stored refresh rate applied to the monitor timer.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include "common/core/Paths.h"
#include "common/thread/Thread.h"
#include "common/ui/Application.h"
#include "quorvane/shell/MainUnit.h"
#include "tests/options/HotKeyTool.h"
#include "tests/support/MachineKey.h"
#include "tests/support/MessageBoxCatcher.h"
#include "tests/support/RegistrySnapshot.h"

using namespace qv;

namespace {
const char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

class Startup : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ui::Application().Initialize();
        if (!IsMainThread()) InitMainThread();
    }
    void SetUp() override {
        test::DeleteKeyTree(HKEY_LOCAL_MACHINE, kOptionsKeyPath);
        test::CreateKey(HKEY_LOCAL_MACHINE, kOptionsKeyPath);
        test::CreateKey(HKEY_CURRENT_USER, kRunKey);
    }
    void Store(const char* name, DWORD type, const void* data, DWORD size) {
        HKEY k;
        ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, kOptionsKeyPath, 0, KEY_SET_VALUE, &k));
        RegSetValueExA(k, name, 0, type, static_cast<const BYTE*>(data), size);
        RegCloseKey(k);
    }
    void Store(const char* name, DWORD v) { Store(name, REG_DWORD, &v, sizeof v); }
    static std::string RunValue() {
        TRegistry reg(KEY_READ);
        reg.SetRootKey(HKEY_CURRENT_USER);
        std::string v = "<missing>";
        if (reg.OpenKeyReadOnly(kRunKey) == ERROR_SUCCESS) reg.ReadString("Quorvane", v);
        return v;
    }

    test::RegistrySnapshot keepOptions{HKEY_LOCAL_MACHINE, "Software\\Zephlor"};
    test::RegistrySnapshot keepRun{HKEY_CURRENT_USER, kRunKey};
    test::MachineKey options{kOptionsKeyPath};
};
}  // namespace

TEST_F(Startup, StoredOptionsTickTheirBoxesAndTheStoredRateAndShortcutApply) {
    const TShortCut code = scCtrl | scAlt | VK_F7;
    Store("LoadQVSystemTray", 1);
    Store("ShowSplashOnStartup", 0);
    Store("CloseQVAfterWash", 2);  // any number but 0 is true
    Store("AutoRefreshTimerInt", 5);
    Store("Shortcut", 0x10000u | code);  // only the lower half is the code
    const char oldPath[] = "C:\\Old Place\\Quorvane.exe";
    HKEY run;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, kRunKey, 0, KEY_SET_VALUE, &run));
    RegSetValueExA(run, "Quorvane", 0, REG_SZ, reinterpret_cast<const BYTE*>(oldPath), sizeof oldPath);
    RegCloseKey(run);

    auto form = std::make_unique<TMainForm>();
    TOptionsPage* page = form->OptionsPage.get();
    EXPECT_TRUE(page->RzCheckBox1->Checked());
    EXPECT_EQ(ModuleFileName(), RunValue()) << "the box's handler rewrote the Run value with this path";
    EXPECT_TRUE(page->RzCheckBox2->Checked());
    EXPECT_FALSE(page->RzCheckBox3->Checked());
    EXPECT_TRUE(page->RzCheckBox4->Checked());
    EXPECT_EQ(1, options.Number("CloseQVAfterWash")) << "its handler ran and wrote it back as 1";
    EXPECT_EQ(0, options.Number("ShowSplashOnStartup"));
    EXPECT_EQ(5, page->RzComboBox1->ItemIndex());
    EXPECT_EQ(3000u, form->MemoryTimer.Interval());

    EXPECT_EQ(VK_F7, page->RzHotKeyEdit1->Key());
    EXPECT_EQ(HOTKEYF_CONTROL | HOTKEYF_ALT, page->RzHotKeyEdit1->Modifiers());
    EXPECT_TRUE(page->JvApplicationHotKey1.Active());
    EXPECT_EQ(code, page->JvApplicationHotKey1.HotKey());
    EXPECT_FALSE(test::ShortcutHolder(code).Held()) << "registered with the system at start";
    EXPECT_EQ(static_cast<int32_t>(0x10000u | code), options.Number("Shortcut")) << "loading writes nothing";

    form.reset();
    EXPECT_TRUE(test::ShortcutHolder(code).Held()) << "given back at the end";
}

TEST_F(Startup, OddStoredValuesGiveNoSelectionNoShortcutOrTheMessage) {
    struct Case {
        const char* what;
        DWORD refreshType;
        int32_t refresh;
        bool shortcutAsText;
        bool shortcutTaken;
    } cases[] = {
        {"index above the list, shortcut as text", REG_DWORD, 12, true, false},
        {"negative index, shortcut taken by another program", REG_DWORD, -1, false, true},
        {"index as text", REG_SZ, 0, false, false},
    };
    const TShortCut code = scCtrl | scShift | VK_F6;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SetUp();
        if (c.refreshType == REG_DWORD) Store("AutoRefreshTimerInt", static_cast<DWORD>(c.refresh));
        else Store("AutoRefreshTimerInt", REG_SZ, "3", 2);
        if (c.shortcutAsText) Store("Shortcut", REG_SZ, "16502", 6);
        else Store("Shortcut", code);

        std::unique_ptr<test::ShortcutHolder> other;
        if (c.shortcutTaken) {
            other = std::make_unique<test::ShortcutHolder>(code);
            ASSERT_TRUE(other->Held());
        }
        test::MessageBoxCatcher boxes(IDOK);
        auto form = std::make_unique<TMainForm>();
        TOptionsPage* page = form->OptionsPage.get();
        if (c.refreshType == REG_DWORD) {
            EXPECT_EQ(-1, page->RzComboBox1->ItemIndex());
            EXPECT_EQ(1000u, form->MemoryTimer.Interval()) << "the monitor keeps its first period";
            EXPECT_EQ(c.refresh, options.Number("AutoRefreshTimerInt")) << "left as stored";
        } else {
            EXPECT_EQ(0, page->RzComboBox1->ItemIndex()) << "read as the default";
            EXPECT_EQ(500u, form->MemoryTimer.Interval());
        }
        EXPECT_EQ(!c.shortcutAsText && !c.shortcutTaken, page->JvApplicationHotKey1.Active());
        if (c.shortcutAsText) {
            EXPECT_EQ(0, page->RzHotKeyEdit1->Key()) << "a text is no shortcut";
            EXPECT_TRUE(boxes.Texts().empty());
        } else if (c.shortcutTaken) {
            EXPECT_EQ(VK_F6, page->RzHotKeyEdit1->Key()) << "the field shows it all the same";
            ASSERT_EQ(1u, boxes.Texts().size());
            EXPECT_EQ(0u, boxes.Texts()[0].find("Quorvane failed to register this shortcut key"));
        }
        form.reset();
    }
}
