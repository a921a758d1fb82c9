// Post-install keywords, with the session-ending call replaced so the suite keeps its user.
#include "tidewell/install/FinishedActions.h"

#include <gtest/gtest.h>

using namespace qv;

namespace {

TEST(FinishedActionsTest, KeywordsRunInTheirOrder) {
    struct Case {
        const char* text;
        std::vector<std::string> actions;
    } cases[] = {
        {"selfclose;", {"close"}},
        {"WINLOGOFF;;SELFRESTART", {"end 0", "restart"}},
        {" WINLOGOFF", {}},              // blanks are not removed
        {"WINLOGOFF ", {}},
        {"WinRestart;WINSHUTDOWN", {"end 0", "end 0"}},  // both only log off
        {"REBOOT;SELF CLOSE;winlogof", {}},
        {"", {}},
        {";;;", {}},
        {"SELFRESTART;selfclose;WINLOGOFF", {"restart", "close", "end 0"}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> ran;
        TFinishedActions a;
        a.EndSession = [&](UINT flags) { ran.push_back("end " + std::to_string(flags)); };
        a.RestartSelf = [&] { ran.push_back("restart"); };
        a.SelfClose = [&] { ran.push_back("close"); };
        RunFinishedActions(c.text, a);
        EXPECT_EQ(c.actions, ran) << '"' << c.text << '"';
    }
}

TEST(FinishedActionsTest, ItemsSplitAtEverySemicolon) {
    EXPECT_EQ((std::vector<std::string>{"A", "", "B"}), FinishedItems("a;;b"));
    EXPECT_EQ((std::vector<std::string>{"A"}), FinishedItems("a;"));
    EXPECT_EQ((std::vector<std::string>{"", " A "}), FinishedItems("; a "));
    EXPECT_TRUE(FinishedItems("").empty());
}

TEST(FinishedActionsTest, RestartAndShutdownAskOnlyThePlainLogOff) {
    std::vector<UINT> asked;
    TSessionEndCall previous = SetSessionEndCall([&](UINT flags, DWORD reserved) {
        EXPECT_EQ(0u, reserved);
        asked.push_back(flags);
        return TRUE;
    });
    TFinishedActions a;
    a.EndSession = [](UINT flags) { EndWindowsSession(flags); };
    RunFinishedActions("WINRESTART;WINSHUTDOWN;WINLOGOFF", a);
    SetSessionEndCall(previous);
    EXPECT_EQ((std::vector<UINT>{0, 0, 0}), asked);  // never EWX_REBOOT, EWX_SHUTDOWN or EWX_FORCE
}

TEST(FinishedActionsTest, EndWindowsSessionEnablesTheShutdownPrivilegeFirst) {
    LUID shutdown{};
    ASSERT_TRUE(LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &shutdown));
    auto enabled = [&] {
        HANDLE token = nullptr;
        OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token);
        PRIVILEGE_SET set{1, PRIVILEGE_SET_ALL_NECESSARY, {{shutdown, SE_PRIVILEGE_ENABLED}}};
        BOOL result = FALSE;
        PrivilegeCheck(token, &set, &result);
        CloseHandle(token);
        return result != FALSE;
    };
    bool enabledWhenAsked = false;
    TSessionEndCall previous = SetSessionEndCall([&](UINT, DWORD) {
        enabledWhenAsked = enabled();
        return FALSE;
    });
    EXPECT_FALSE(EndWindowsSession(0));  // the refusal comes back as the result
    SetSessionEndCall(previous);
    EXPECT_TRUE(enabledWhenAsked);
}

}  // namespace
