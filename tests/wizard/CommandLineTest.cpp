#include "tidewell/wizard/CommandLine.h"

#include <gtest/gtest.h>

#include <fstream>

#include "tests/support/TestPaths.h"

using namespace qv;

TEST(CommandLine, SplitsLikeTheStartUpCode) {
    struct Case {
        const char* line;
        std::vector<std::string> args;
    } cases[] = {
        {"Tidewell.exe", {}},
        {"\"C:\\Program Files\\Q\\Tidewell.exe\" -S -m", {"-S", "-m"}},
        {"Tidewell.exe  \"C:\\Program Files\\Q\\~t~Tidewell.exe\"", {"C:\\Program Files\\Q\\~t~Tidewell.exe"}},
        {"Tidewell.exe\t-s\t ", {"-s"}},
        {"Tidewell.exe \"\"", {""}},
    };
    for (const Case& c : cases) EXPECT_EQ(c.args, SplitCommandLine(c.line)) << c.line;
}

TEST(CommandLine, SwitchesInAnyCaseAndPositionAndExistingFiles) {
    std::string folder = test::MakeTempFolder("cmdline");
    std::string file = folder + "old copy.exe";
    std::ofstream(file) << "x";
    struct Case {
        std::vector<std::string> args;
        bool silent, tray;
        std::vector<std::string> files;
    } cases[] = {
        {{}, false, false, {}},
        {{"-s"}, true, false, {}},
        {{"x", "-M", "-S", "-m"}, true, true, {}},
        {{"/S", "-SM", "S"}, false, false, {}},
        {{file, "-m", folder + "missing.txt", folder}, false, true, {file}},
    };
    for (const Case& c : cases) {
        TCommandLine p = ParseCommandLine(c.args);
        EXPECT_EQ(c.silent, p.SilentMode);
        EXPECT_EQ(c.tray, p.TrayMode);
        EXPECT_EQ(c.files, p.ExistingFiles);
    }
    test::RemoveFolderTree(folder);
}
