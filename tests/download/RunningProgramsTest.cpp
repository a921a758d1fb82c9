// Running copies of a destination's program, found and ended for real: the probe program runs
// under the destination's name.
#include "tidewell/download/RunningPrograms.h"

#include <gtest/gtest.h>

#include "common/core/Paths.h"
#include "tests/download/DownloadSupport.h"
#include "tests/support/TestPaths.h"

using namespace qv;

namespace {

class RunningProgramsTest : public ::testing::Test {
protected:
    void TearDown() override { test::RemoveFolderTree(folder); }
    std::string folder = test::MakeTempFolder("running");
};

TEST_F(RunningProgramsTest, AProgramUnderTheNameIsFoundAndEnded) {
    EXPECT_FALSE(IsProgramRunning("QvRunningA.exe"));
    test::RunningProbe probe(folder + "QvRunningA.exe");
    ASSERT_TRUE(probe.Started());
    EXPECT_TRUE(IsProgramRunning("qvrunninga.EXE"));
    EXPECT_FALSE(IsProgramRunning("QvRunning.exe"));

    EXPECT_TRUE(TerminateProgram("QVRUNNINGA.exe"));
    EXPECT_TRUE(probe.Exited());  // gone by the time it returns, so its file can be replaced
    EXPECT_FALSE(IsProgramRunning("QvRunningA.exe"));
    EXPECT_TRUE(TerminateProgram("QvRunningA.exe"));  // nothing left to end is no failure
}

TEST_F(RunningProgramsTest, TheUpdatersOwnNameNeverCounts) {
    // This test program plays the updater: it runs, yet under its own name nothing is reported.
    std::string self = ExtractFileName(ModuleFileName());
    EXPECT_FALSE(IsProgramRunning(self));
    test::RunningProbe twin(folder + self);  // another process carrying the same name
    ASSERT_TRUE(twin.Started());
    EXPECT_FALSE(IsProgramRunning(self));
}

TEST_F(RunningProgramsTest, AProgramThatMayNotBeEndedFails) {
    test::RunningProbe probe(folder + "QvGuarded.exe", true);
    ASSERT_TRUE(probe.Started());
    ASSERT_FALSE(probe.Exited());
    EXPECT_TRUE(IsProgramRunning("QvGuarded.exe"));
    EXPECT_FALSE(TerminateProgram("QvGuarded.exe"));
    EXPECT_FALSE(probe.Exited());
}

}  // namespace
