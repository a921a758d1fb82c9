#include "tidewell/record/SessionRecord.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "common/core/Registry.h"
#include "tests/support/MachineKey.h"
#include "tests/support/ReadOnlyKey.h"
#include "tests/support/RegistrySnapshot.h"
#include "tidewell/UpdaterKeys.h"

using namespace qv;

namespace {

const char kConnectMessage[] =
    "An error occurred while Tidewell was contacting the update server. Please verify that you are able to "
    "connect to the internet and run Tidewell again. Error (ERTD-655)";

uint64_t Ticks(const SYSTEMTIME& st) {
    FILETIME ft;
    SystemTimeToFileTime(&st, &ft);
    return uint64_t(ft.dwHighDateTime) << 32 | ft.dwLowDateTime;
}

// Whether text is the record date of some second from `from` to `to`.
bool WrittenBetween(const std::string& text, const SYSTEMTIME& from, const SYSTEMTIME& to) {
    const uint64_t second = 10000000;
    for (uint64_t t = Ticks(from) / second * second; t <= Ticks(to); t += second) {
        FILETIME ft{static_cast<DWORD>(t), static_cast<DWORD>(t >> 32)};
        SYSTEMTIME st;
        FileTimeToSystemTime(&ft, &st);
        if (text == FormatSessionDate(st)) return true;
    }
    return false;
}

class SessionRecordTest : public ::testing::Test {
protected:
    void SetUp() override { test::DeleteKeyTree(HKEY_LOCAL_MACHINE, kTidewellKeyPath); }
    TRegistry& Key() { return key.Open(); }

    test::RegistrySnapshot keep{HKEY_LOCAL_MACHINE, "Software\\Zephlor"};
    test::MachineKey key{kTidewellKeyPath};
};

}  // namespace

TEST(SessionTextTest, StatusTexts) {
    EXPECT_STREQ("Tidewell session completed successfully", kSessionSuccessText);
    EXPECT_EQ(std::string("Tidewell encountered an error: \"") + kConnectMessage + "\".",
              SessionErrorText(kConnectMessage));
    EXPECT_EQ("Tidewell encountered an error: \"\".", SessionErrorText(""));
}

// Short date, a blank, long time (with seconds), as the user's region writes them.
TEST(SessionTextTest, DateFollowsTheRegionalFormats) {
    SYSTEMTIME st{};
    st.wYear = 2024;
    st.wMonth = 3;
    st.wDay = 7;
    st.wHour = 14;
    st.wMinute = 5;
    st.wSecond = 9;
    EXPECT_EQ("3/7/2024 2:05:09 PM", FormatSessionDate(st, MAKELCID(0x0409, SORT_DEFAULT)));
    EXPECT_EQ("07/03/2024 14:05:09", FormatSessionDate(st, MAKELCID(0x0809, SORT_DEFAULT)));
}

TEST_F(SessionRecordTest, BeforeAnySessionTheDateIsUnknown) {
    TSessionReport r = ReadSessionReport();
    EXPECT_EQ("Tidewell last run was on:  UNKNOWN", r.LastRun);
    EXPECT_EQ("", r.Status);
    Key();  // the key alone is no record
    EXPECT_EQ("Tidewell last run was on:  UNKNOWN", ReadSessionReport().LastRun);
}

TEST_F(SessionRecordTest, EachRecordReplacesBothValuesAndShowsAtOnce) {
    SYSTEMTIME before, after;
    GetLocalTime(&before);
    EXPECT_TRUE(RecordSessionResult(SessionErrorText(kConnectMessage)));
    GetLocalTime(&after);
    std::string date = key.Text("LastDate");
    EXPECT_TRUE(WrittenBetween(date, before, after)) << date;
    TSessionReport r = ReadSessionReport();
    EXPECT_EQ("Tidewell last run was on: " + date, r.LastRun);
    EXPECT_EQ(SessionErrorText(kConnectMessage), r.Status);

    EXPECT_TRUE(RecordSessionResult(kSessionSuccessText));
    EXPECT_EQ(kSessionSuccessText, ReadSessionReport().Status);
    std::vector<std::string> names;
    Key().GetValueNames(names);
    EXPECT_EQ(2u, names.size()) << "no history";
}

TEST_F(SessionRecordTest, IncompleteOrWrongTypedRecords) {
    struct Case {
        bool date, dateIsText, status, statusIsText;
        const char* lastRun;
        const char* shownStatus;
    } cases[] = {
        {true, true, false, false, "Tidewell last run was on: 1/2/2003 4:05:06 AM", ""},
        {true, true, true, false, "Tidewell last run was on: 1/2/2003 4:05:06 AM", ""},
        {false, false, true, true, "Tidewell last run was on:  UNKNOWN", ""},
        {true, false, true, true, "Tidewell last run was on:  UNKNOWN", ""},
        {true, true, true, true, "Tidewell last run was on: 1/2/2003 4:05:06 AM", "done"},
    };
    for (const auto& c : cases) {
        Key().DeleteValue("LastDate");
        Key().DeleteValue("LastStr");
        if (c.date) c.dateIsText ? Key().WriteString("LastDate", "1/2/2003 4:05:06 AM") : Key().WriteInteger("LastDate", 1);
        if (c.status) c.statusIsText ? Key().WriteString("LastStr", "done") : Key().WriteInteger("LastStr", 1);
        TSessionReport r = ReadSessionReport();
        EXPECT_EQ(c.lastRun, r.LastRun);
        EXPECT_EQ(c.shownStatus, r.Status);
    }
}

TEST_F(SessionRecordTest, RecordThatCannotBeWrittenLeavesTheOldOne) {
    Key().WriteString("LastDate", "1/2/2003 4:05:06 AM");
    Key().WriteString("LastStr", kSessionSuccessText);
    key.Close();
    {
        test::ReadOnlyKey readOnly(HKEY_LOCAL_MACHINE, kTidewellKeyPath);
        ASSERT_TRUE(readOnly.Active());
        EXPECT_FALSE(RecordSessionResult(SessionErrorText(kConnectMessage)));
        TSessionReport r = ReadSessionReport();
        EXPECT_EQ(kSessionSuccessText, r.Status);
        EXPECT_EQ("Tidewell last run was on: 1/2/2003 4:05:06 AM", r.LastRun);
    }
    EXPECT_TRUE(RecordSessionResult(kSessionSuccessText)) << "writable again";
}
