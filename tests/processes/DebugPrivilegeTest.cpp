#include "quorvane/processes/DebugPrivilege.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

using namespace qv;

namespace {
enum class Debug { Missing, Disabled, Enabled };

// The debug privilege's state in a token, read straight from the token.
Debug DebugState(HANDLE token) {
    LUID luid;
    EXPECT_TRUE(LookupPrivilegeValueA(nullptr, "SeDebugPrivilege", &luid));
    DWORD size = 0;
    GetTokenInformation(token, TokenPrivileges, nullptr, 0, &size);
    std::vector<BYTE> buf(size ? size : 1);
    EXPECT_TRUE(GetTokenInformation(token, TokenPrivileges, buf.data(), size, &size));
    auto* privileges = reinterpret_cast<TOKEN_PRIVILEGES*>(buf.data());
    for (DWORD i = 0; i < privileges->PrivilegeCount; ++i)
        if (!std::memcmp(&privileges->Privileges[i].Luid, &luid, sizeof luid))
            return (privileges->Privileges[i].Attributes & SE_PRIVILEGE_ENABLED) ? Debug::Enabled : Debug::Disabled;
    return Debug::Missing;
}

KernelHandle ProcessToken() {
    KernelHandle t;
    EXPECT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY | TOKEN_DUPLICATE, t.put()));
    return t;
}

KernelHandle ThreadToken() {
    KernelHandle t;
    EXPECT_TRUE(OpenThreadToken(GetCurrentThread(), TOKEN_QUERY, TRUE, t.put()));
    return t;
}

class DebugPrivilegeTest : public ::testing::Test {
protected:
    void TearDown() override { RevertToSelf(); }
};
}  // namespace

TEST_F(DebugPrivilegeTest, ThreadWithoutTokenUsesTheProcessTokenAndPutsItBack) {
    KernelHandle process = ProcessToken();
    Debug before = DebugState(process.get());
    ASSERT_NE(Debug::Missing, before);
    {
        TDebugPrivilege privilege;
        ASSERT_TRUE(privilege.Enabled()) << privilege.Error();
        EXPECT_FALSE(privilege.OnThreadToken());
        EXPECT_EQ(Debug::Enabled, DebugState(process.get()));
    }
    EXPECT_EQ(before, DebugState(process.get()));
}

TEST_F(DebugPrivilegeTest, ThreadTokenIsPreferredAndTheProcessTokenLeftAlone) {
    KernelHandle process = ProcessToken();
    Debug processBefore = DebugState(process.get());
    ASSERT_TRUE(ImpersonateSelf(SecurityImpersonation));
    KernelHandle thread = ThreadToken();
    Debug threadBefore = DebugState(thread.get());
    {
        TDebugPrivilege privilege;
        ASSERT_TRUE(privilege.Enabled()) << privilege.Error();
        EXPECT_TRUE(privilege.OnThreadToken());
        EXPECT_EQ(Debug::Enabled, DebugState(thread.get()));
        EXPECT_EQ(processBefore, DebugState(process.get()));
    }
    EXPECT_EQ(threadBefore, DebugState(thread.get()));
}

// A token without the privilege takes the adjustment "successfully" and reports 1300.
TEST_F(DebugPrivilegeTest, TokenWithoutThePrivilegeIsNotEnabled) {
    KernelHandle process = ProcessToken();
    LUID_AND_ATTRIBUTES drop{};
    ASSERT_TRUE(LookupPrivilegeValueA(nullptr, "SeDebugPrivilege", &drop.Luid));
    KernelHandle restricted, impersonation;
    ASSERT_TRUE(CreateRestrictedToken(process.get(), 0, 0, nullptr, 1, &drop, 0, nullptr, restricted.put()));
    ASSERT_TRUE(DuplicateToken(restricted.get(), SecurityImpersonation, impersonation.put()));
    ASSERT_TRUE(SetThreadToken(nullptr, impersonation.get()));
    ASSERT_EQ(Debug::Missing, DebugState(ThreadToken().get()));

    TDebugPrivilege privilege;
    EXPECT_FALSE(privilege.Enabled());
    EXPECT_EQ(static_cast<DWORD>(ERROR_NOT_ALL_ASSIGNED), privilege.Error());
}
