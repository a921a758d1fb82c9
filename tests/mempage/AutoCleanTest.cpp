// The "Automatic Memory Washing" group on a window of its own, with a timer and settings object
// of its own over the real options key.
#include "quorvane/memory/AutoClean.h"

#include <gtest/gtest.h>

#include "UiTestSupport.h"
#include "tests/support/MachineKey.h"
#include "tests/support/RegistrySnapshot.h"

using namespace qv;

namespace {
constexpr uint64_t MB = 1048576;

class AutoCleanGroup : public test::UiTest {
protected:
    void SetUp() override {
        test::CreateKey(HKEY_LOCAL_MACHINE, kOptionsKeyPath);
        settings.SetRootKey(HKEY_LOCAL_MACHINE);
        settings.SetSettingsKey(kOptionsKeyPath);
    }
    // Plants the four options, loads them and puts them into a fresh group, as start-up does.
    void Start(bool onTimer, int32_t minutes, bool onLimit, int32_t limit) {
        TRegistry& r = key.Open();
        r.WriteBool("CleanMemoryOnTimer", onTimer);
        r.WriteInteger("CleanMemoryEveryMinute", minutes);
        r.WriteBool("CleanMemWhenMemReach", onLimit);
        r.WriteInteger("CleanMemoryOnMemLimit", limit);
        key.Close();
        settings.Load();
        group = std::make_unique<TAutoCleanGroup>(page.get(), timer);
        group->SetLimitMaximum(4096 * MB);
        group->LoadFromSettings(settings);
    }
    test::RegistrySnapshot keep{HKEY_LOCAL_MACHINE, "Software\\Zephlor"};
    test::MachineKey key{kOptionsKeyPath};
    std::unique_ptr<test::HostForm> page = std::make_unique<test::HostForm>(596, 429);
    ui::TTimer timer{"MemoryCleanTimer", 60000, false};
    TSettings settings;
    std::unique_ptr<TAutoCleanGroup> group;
};
}  // namespace

TEST_F(AutoCleanGroup, BuiltWithItsControlsRangesAndPlace) {
    group = std::make_unique<TAutoCleanGroup>(page.get(), timer);
    group->SetLimitMaximum(4096 * MB + 1);
    EXPECT_EQ(8, group->RzGroupBox10->Left());
    EXPECT_EQ(116, group->RzGroupBox10->Top());
    EXPECT_EQ(580, group->RzGroupBox10->Width());
    EXPECT_EQ(84, group->RzGroupBox10->Height());
    EXPECT_EQ("Clean Memory every", group->RzCheckBox5->Caption());
    EXPECT_EQ("Automatically clean memory when free physical memory reach", group->RzCheckBox7->Caption());
    EXPECT_EQ("Min", group->RzLabel40->Caption());
    EXPECT_EQ("MB", group->RzLabel41->Caption());
    EXPECT_EQ(1, group->RzSpinEdit1->Min());
    EXPECT_EQ(120, group->RzSpinEdit1->Max());
    EXPECT_EQ(1, group->RzSpinEdit2->Min());
    EXPECT_EQ(4097, group->RzSpinEdit2->Max()) << "the installed memory in MB, rounded up";
    for (ui::TSpinEdit* e : {group->RzSpinEdit1, group->RzSpinEdit2}) {
        EXPECT_EQ("1", e->Text()) << e->Name();
        EXPECT_FALSE(e->Enabled()) << e->Name();
    }
    EXPECT_FALSE(group->RzCheckBox5->Checked());
    EXPECT_FALSE(group->RzCheckBox7->Checked());
}

TEST_F(AutoCleanGroup, StoredOptionsGoInWithTheRulesOfStartUp) {
    struct Case {
        const char* what;
        bool onTimer;
        int32_t minutes;
        bool onLimit;
        int32_t limit;
        // what the controls show, the timer does and the registry keeps afterwards
        const char* minutesShown;
        int32_t minutesStored;
        UINT period;
        const char* limitShown;
        int32_t limitStored;
        int32_t limitInForce;
    } cases[] = {
        {"both on", true, 30, true, 512, "30", 30, 1800000, "512", 512, 512},
        {"both off, values still shown", false, 45, false, 100, "45", 45, 2700000, "100", 100, 100},
        {"above the ranges: shown and stored as the bounds", true, 200, true, 9999, "120", 120, 7200000, "4096",
         4096, 4096},
        {"store defaults of 0: shown as 1, left at 0", true, 0, true, 0, "1", 0, 60000, "1", 0, 1},
        {"negative: shown as 1, left as stored", true, -5, true, -7, "1", -5, 60000, "1", -7, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Start(c.onTimer, c.minutes, c.onLimit, c.limit);
        EXPECT_EQ(c.onTimer, group->RzCheckBox5->Checked());
        EXPECT_EQ(c.onTimer, group->RzSpinEdit1->Enabled());
        EXPECT_EQ(c.onTimer, timer.Enabled());
        EXPECT_EQ(c.period, timer.Interval()) << "the period follows the minutes shown";
        EXPECT_EQ(c.minutesShown, group->RzSpinEdit1->Text());
        EXPECT_EQ(c.minutesStored, key.Number("CleanMemoryEveryMinute"));
        EXPECT_EQ(c.onLimit, group->RzCheckBox7->Checked());
        EXPECT_EQ(c.onLimit, group->RzSpinEdit2->Enabled());
        EXPECT_EQ(c.limitShown, group->RzSpinEdit2->Text());
        EXPECT_EQ(c.limitStored, key.Number("CleanMemoryOnMemLimit"));
        EXPECT_EQ(c.limitInForce, group->LimitInForce());
        EXPECT_EQ(c.onTimer ? 1 : 0, key.Number("CleanMemoryOnTimer"));
        EXPECT_EQ(c.onLimit ? 1 : 0, key.Number("CleanMemWhenMemReach"));
        group.reset();
        timer.SetEnabled(false);
        timer.SetInterval(60000);
    }
}

TEST_F(AutoCleanGroup, UserChangesAreStoredAndTheTimerFollows) {
    Start(false, 30, false, 100);
    group->RzCheckBox5->SetChecked(true);
    EXPECT_TRUE(timer.Enabled());
    EXPECT_EQ(1800000u, timer.Interval());
    EXPECT_TRUE(group->RzSpinEdit1->Enabled());
    EXPECT_EQ(1, key.Number("CleanMemoryOnTimer"));

    group->RzSpinEdit1->SetValue(5);
    EXPECT_EQ(300000u, timer.Interval()) << "a new period while ticked";
    EXPECT_TRUE(timer.Enabled());
    EXPECT_EQ(5, key.Number("CleanMemoryEveryMinute"));
    EXPECT_EQ(5, settings.CleanEveryMinutes());

    group->RzSpinEdit1->SetText("250");  // typed: stored as it reads, within the range
    EXPECT_EQ(120, key.Number("CleanMemoryEveryMinute"));
    EXPECT_EQ(7200000u, timer.Interval());

    group->RzCheckBox5->SetChecked(false);
    EXPECT_FALSE(timer.Enabled());
    EXPECT_FALSE(group->RzSpinEdit1->Enabled());
    EXPECT_EQ(0, key.Number("CleanMemoryOnTimer"));

    group->RzCheckBox7->SetChecked(true);
    EXPECT_TRUE(group->RzSpinEdit2->Enabled());
    EXPECT_TRUE(settings.CleanOnMemLimit());
    EXPECT_EQ(1, key.Number("CleanMemWhenMemReach"));
    group->RzSpinEdit2->SetValue(300);
    EXPECT_EQ(300, settings.CleanMemLimit());
    EXPECT_EQ(300, key.Number("CleanMemoryOnMemLimit"));
    EXPECT_EQ(300, group->LimitInForce());
    group->RzCheckBox7->SetChecked(false);
    EXPECT_FALSE(group->RzSpinEdit2->Enabled());
    EXPECT_FALSE(settings.CleanOnMemLimit());
}

// A new period replaces the running countdown: a timer set from ten minutes to 20 ms ticks at
// once, not after the old ten minutes.
TEST_F(AutoCleanGroup, APeriodChangeStartsTheCountdownAgain) {
    Start(true, 10, false, 1);
    ASSERT_TRUE(timer.Enabled());
    ASSERT_EQ(600000u, timer.Interval());
    int ticks = 0;
    timer.OnTimer = [&](ui::TTimer*) { ++ticks; };
    timer.SetInterval(20);
    EXPECT_TRUE(PumpUntil([&] { return ticks > 0; }, 5000));
    timer.OnTimer = nullptr;
    group->RzSpinEdit1->SetValue(3);
    EXPECT_EQ(180000u, timer.Interval());
}
