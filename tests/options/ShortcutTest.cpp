// The shortcut code and the program-wide hot key on a real window, with a second program holding
// keys and pressing them.
#include "quorvane/settings/AppHotKey.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include "common/ui/Application.h"
#include "common/ui/Form.h"
#include "tests/options/HotKeyTool.h"
#include "tests/support/MessagePump.h"

using namespace qv;

TEST(ShortcutCode, KeyAndEachModifierToAndFromTheFieldAndTheSystem) {
    struct Case {
        BYTE key, fieldFlags;
        TShortCut code;
        UINT systemFlags;
    } cases[] = {
        {0, 0, 0x0000, 0},
        {'A', 0, 0x0041, 0},
        {VK_F9, HOTKEYF_SHIFT, 0x2078, MOD_SHIFT},
        {VK_F9, HOTKEYF_CONTROL, 0x4078, MOD_CONTROL},
        {VK_F9, HOTKEYF_ALT, 0x8078, MOD_ALT},
        {'Z', HOTKEYF_SHIFT | HOTKEYF_CONTROL | HOTKEYF_ALT, 0xE05A, MOD_SHIFT | MOD_CONTROL | MOD_ALT},
        {VK_NUMPAD0, HOTKEYF_CONTROL | HOTKEYF_ALT, 0xC060, MOD_CONTROL | MOD_ALT},
        {0xFF, HOTKEYF_SHIFT, 0x20FF, MOD_SHIFT},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        EXPECT_EQ(c.code, ShortCutFromHotKeyField(c.key, c.fieldFlags));
        EXPECT_EQ(c.code, ShortCutFromHotKeyField(c.key, c.fieldFlags | HOTKEYF_EXT)) << "the extended flag is not kept";
        BYTE key = 1, flags = 1;
        HotKeyFieldFromShortCut(c.code, key, flags);
        EXPECT_EQ(c.key, key);
        EXPECT_EQ(c.fieldFlags, flags);
        EXPECT_EQ(c.systemFlags, SystemModifiersOf(c.code));
        EXPECT_EQ(c.key, VirtualKeyOf(c.code));
        EXPECT_EQ(c.code, ShortCutFromSystem(c.systemFlags, c.key));
    }
    // Bits 8 to 12 mean nothing: the field and the system see key and modifiers only.
    BYTE key = 0, flags = 0;
    HotKeyFieldFromShortCut(0x5F41, key, flags);
    EXPECT_EQ('A', key);
    EXPECT_EQ(HOTKEYF_CONTROL, flags);
    EXPECT_EQ(static_cast<UINT>(MOD_CONTROL), SystemModifiersOf(0x5F41));
}

namespace {
const TShortCut kCtrlAltF9 = scCtrl | scAlt | VK_F9;
const TShortCut kCtrlShiftF8 = scCtrl | scShift | VK_F8;

class HotKeyOnAWindow : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ui::Application().Initialize(); }
    void SetUp() override {
        ui::TFormOptions o;
        o.Caption = "hot key owner";
        form = std::make_unique<ui::TForm>("HotKeyOwner", o);
        hotKey = std::make_unique<TAppHotKey>(form->Handle());
        hotKey->OnHotKey = [this](TAppHotKey*) { ++pressed; };
        hotKey->OnHotKeyRegisterFailed = [this](TAppHotKey*) { ++failed; };
    }
    void TearDown() override {
        hotKey.reset();
        form.reset();
    }
    // Whether another program could take the key now (it gives it back at once).
    static bool FreeForOthers(TShortCut code) { return test::ShortcutHolder(code).Held(); }

    std::unique_ptr<ui::TForm> form;
    std::unique_ptr<TAppHotKey> hotKey;
    int pressed = 0, failed = 0;
};
}  // namespace

TEST_F(HotKeyOnAWindow, RegistersUnderAFreshIdentifierAndGivesTheKeyBack) {
    hotKey->SetHotKey(kCtrlAltF9);
    EXPECT_FALSE(hotKey->Active()) << "no registration before activation";
    hotKey->SetActive(true);
    ASSERT_TRUE(hotKey->Active());
    int first = hotKey->Id();
    EXPECT_NE(0, first);
    EXPECT_FALSE(FreeForOthers(kCtrlAltF9));

    hotKey->SetActive(false);
    EXPECT_EQ(0, hotKey->Id());
    EXPECT_TRUE(FreeForOthers(kCtrlAltF9)) << "deactivation unregisters";

    hotKey->SetActive(true);
    EXPECT_NE(first, hotKey->Id()) << "every registration has its own identifier";

    // A new code while active: the old key is free, the new one is ours.
    hotKey->SetHotKey(kCtrlShiftF8);
    EXPECT_TRUE(hotKey->Active());
    EXPECT_TRUE(FreeForOthers(kCtrlAltF9));
    EXPECT_FALSE(FreeForOthers(kCtrlShiftF8));

    hotKey.reset();
    EXPECT_TRUE(FreeForOthers(kCtrlShiftF8)) << "the end of the object unregisters";
    char caption[32] = {};
    GetWindowTextA(form->Handle(), caption, sizeof caption);
    EXPECT_STREQ("hot key owner", caption) << "the window's own procedure answers again";
    EXPECT_EQ(0, failed);
}

TEST_F(HotKeyOnAWindow, AKeyHeldByAnotherProgramFailsAndStaysInactive) {
    test::ShortcutHolder other(kCtrlAltF9);
    ASSERT_TRUE(other.Held());
    hotKey->SetHotKey(kCtrlAltF9);
    hotKey->SetActive(true);
    EXPECT_EQ(1, failed);
    EXPECT_FALSE(hotKey->Active());
    EXPECT_EQ(kCtrlAltF9, hotKey->HotKey()) << "the code is kept";
}

TEST_F(HotKeyOnAWindow, TheKeyPressedInAnotherProgramRunsOnHotKeyOnce) {
    hotKey->SetHotKey(kCtrlAltF9);
    hotKey->SetActive(true);
    ASSERT_TRUE(hotKey->Active());
    // A hot-key message of another registration is not ours.
    PostMessageA(form->Handle(), WM_HOTKEY, hotKey->Id() + 1, 0);
    ASSERT_TRUE(test::SendShortcutFromAnotherProgram(kCtrlAltF9));
    EXPECT_TRUE(test::PumpMessagesUntil([&] { return pressed > 0; }));
    test::PumpMessagesUntil([] { return false; }, 200);
    EXPECT_EQ(1, pressed);

    // Hidden, the window still gets it.
    form->Hide();
    ASSERT_TRUE(test::SendShortcutFromAnotherProgram(kCtrlAltF9));
    EXPECT_TRUE(test::PumpMessagesUntil([&] { return pressed > 1; }));

    hotKey->SetActive(false);
    ASSERT_TRUE(test::SendShortcutFromAnotherProgram(kCtrlAltF9));
    test::PumpMessagesUntil([] { return false; }, 300);
    EXPECT_EQ(2, pressed) << "nothing after deactivation";
}
