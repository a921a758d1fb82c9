// The crash reporter: C++ errors in this process, structured exceptions in a probe process.
#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>
#include <sstream>
#include <vector>

#include "common/core/OSError.h"
#include "common/core/Paths.h"
#include "common/core/Unhandled.h"
#include "common/crash/CrashReporter.h"
#include "common/thread/Thread.h"
#include "tests/support/MessagePump.h"
#include "tests/support/TestPaths.h"

using namespace qv;
using qv::test::PumpMessagesUntil;

namespace {

std::vector<std::string> FilesIn(const std::string& folder, const char* pattern = "*") {
    std::vector<std::string> names;
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((folder + pattern).c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return names;
    do {
        if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(fd.cFileName);
    } while (FindNextFileA(h, &fd));
    FindClose(h);
    return names;
}

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

DWORD FileSize(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA a;
    return GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &a) ? a.nFileSizeLow : 0;
}

bool SystemDbghelpCanDump() {
    char sys[MAX_PATH];
    GetSystemDirectoryA(sys, MAX_PATH);
    HMODULE m = LoadLibraryA((std::string(sys) + "\\dbghelp.dll").c_str());
    bool can = m && GetProcAddress(m, "MiniDumpWriteDump");
    if (m) FreeLibrary(m);
    return can;
}

class CrashTest : public ::testing::Test {
protected:
    void SetUp() override {
        InitMainThread();
        temp = qv::test::MakeTempFolder("crash");
        ASSERT_FALSE(temp.empty());
        reports = temp + "reports\\nested\\";
    }
    void TearDown() override {
        crash::Uninstall();
        DoneMainThread();
        qv::test::RemoveFolderTree(temp);
    }
    void InstallAnswering(bool send) {
        crash::Install("QvCrashTest", reports, [this, send](const std::string& message) {
            notified.push_back(message);
            notifiedOn.push_back(GetCurrentThreadId());
            return send;
        });
    }
    std::string temp, reports;
    std::vector<std::string> notified;
    std::vector<DWORD> notifiedOn;
};

TEST_F(CrashTest, ACppErrorReachesNotifyAndItsAnswerDecidesOnTheReport) {
    for (bool send : {true, false}) {
        SCOPED_TRACE(send ? "send" : "don't send");
        notified.clear();
        qv::test::RemoveFolderTree(temp + "reports");
        InstallAnswering(send);
        ReportUnhandled(std::make_exception_ptr(std::runtime_error("Disk is full.")));
        ASSERT_EQ(notified.size(), 1u) << "the program goes on after a C++ error, and asked once";
        EXPECT_EQ(notified[0], "Disk is full");
        EXPECT_EQ(notifiedOn[0], GetCurrentThreadId());
        std::vector<std::string> texts = FilesIn(reports, "*.txt");
        if (!send) {
            EXPECT_TRUE(FilesIn(reports).empty());
            EXPECT_EQ(GetFileAttributesA((temp + "reports").c_str()), INVALID_FILE_ATTRIBUTES)
                << "nothing at all is written when the answer is no";
            continue;
        }
        ASSERT_EQ(texts.size(), 1u);
        EXPECT_EQ(texts[0].rfind("QvCrashTest-", 0), 0u) << texts[0];
        std::string report = ReadText(reports + texts[0]);
        for (const std::string& line :
             {std::string("Program: QvCrashTest\r\n"), std::string("Message: Disk is full\r\n"),
              std::string("Exception code: none (C++ error std::runtime_error)\r\n"),
              "Thread: " + std::to_string(GetCurrentThreadId()) + " (UI thread)\r\n",
              "Module: " + ModuleFileName() + "\r\n", std::string("Time: ")})
            EXPECT_NE(report.find(line), std::string::npos) << line << "\nin:\n" << report;
        std::string dump = reports + texts[0].substr(0, texts[0].size() - 4) + ".dmp";
        if (SystemDbghelpCanDump()) {
            EXPECT_GT(FileSize(dump), 0u);
            EXPECT_NE(report.find("Minidump: " + texts[0].substr(0, texts[0].size() - 4) + ".dmp"),
                      std::string::npos);
        } else {
            EXPECT_NE(report.find("Minidump: none"), std::string::npos);
        }
    }
}

TEST_F(CrashTest, TwoReportsOfOneSecondGetTwoFiles) {
    InstallAnswering(true);
    ReportUnhandled(std::make_exception_ptr(EOSError(ERROR_ACCESS_DENIED)));
    ReportUnhandled(std::make_exception_ptr(42));
    EXPECT_EQ(FilesIn(reports, "*.txt").size(), 2u);
    ASSERT_EQ(notified.size(), 2u);
    EXPECT_EQ(notified[0], EOSError(ERROR_ACCESS_DENIED).what());
    EXPECT_EQ(notified[1], "Unknown error");
}

class TFailingThread : public TThread {
protected:
    void Execute() override { throw std::runtime_error("The list could not be read."); }
};

TEST_F(CrashTest, AWorkersErrorIsShownOnTheUiThreadWhileTheWorkerWaits) {
    bool workerFinishedDuringNotify = true;
    TFailingThread worker;
    crash::Install("QvCrashTest", reports, [&](const std::string& message) {
        notified.push_back(message);
        notifiedOn.push_back(GetCurrentThreadId());
        workerFinishedDuringNotify = worker.Finished();
        return true;
    });
    worker.Start();
    ASSERT_TRUE(PumpMessagesUntil([&] { return worker.Finished(); }));
    ASSERT_EQ(notified.size(), 1u);
    EXPECT_EQ(notified[0], "The list could not be read");
    EXPECT_EQ(notifiedOn[0], GetCurrentThreadId());
    EXPECT_FALSE(workerFinishedDuringNotify);
    std::vector<std::string> texts = FilesIn(reports, "*.txt");
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_NE(ReadText(reports + texts[0]).find("Thread: " + std::to_string(worker.ThreadID()) + " (worker)"),
              std::string::npos);
}

TEST_F(CrashTest, AReportFolderThatCannotBeMadeWritesNothingAndHurtsNothing) {
    // A file stands where the folder's parent should be.
    std::ofstream(temp + "blocker") << "x";
    crash::Install("QvCrashTest", temp + "blocker\\reports\\", [&](const std::string& m) {
        notified.push_back(m);
        return true;
    });
    ReportUnhandled(std::make_exception_ptr(std::runtime_error("boom")));
    EXPECT_EQ(notified.size(), 1u);
    EXPECT_EQ(FilesIn(temp).size(), 1u);
    crash::TCrashInfo info;
    EXPECT_EQ(crash::WriteReport(temp + "blocker\\reports\\", info, nullptr), "");
    EXPECT_EQ(crash::WriteReport("", info, nullptr), "");
}

TEST_F(CrashTest, AnErrorWindowThatFailsStillLeavesAReport) {
    crash::Install("QvCrashTest", reports, [](const std::string&) -> bool {
        throw std::runtime_error("no window");
    });
    ReportUnhandled(std::make_exception_ptr(std::runtime_error("boom")));
    EXPECT_EQ(FilesIn(reports, "*.txt").size(), 1u);
}

TEST(CrashTextTest, FinalFullStop) {
    const std::pair<const char*, const char*> cases[] = {
        {"Disk is full.", "Disk is full"}, {"Disk is full", "Disk is full"}, {"Wait...", "Wait.."}, {"", ""},
        {".", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(crash::WithoutFinalStop(c.first), c.second) << c.first;
}

TEST(CrashTextTest, StructuredExceptionMessages) {
    const std::string self = ExtractFileName(ModuleFileName());
    void* inSelf = reinterpret_cast<void*>(&ReadText);
    char selfAddress[16];
    snprintf(selfAddress, sizeof selfAddress, "%08lX", static_cast<unsigned long>(reinterpret_cast<uintptr_t>(inSelf)));
    struct Case {
        DWORD code;
        void* address;
        std::vector<ULONG_PTR> info;
        std::string expected;
    } cases[] = {
        {EXCEPTION_ACCESS_VIOLATION, inSelf, {1, 0x10},
         "Access violation (C0000005) at address " + std::string(selfAddress) + " in module '" + self +
             "'. Write of address 00000010"},
        {EXCEPTION_ACCESS_VIOLATION, inSelf, {0, 0},
         "Access violation (C0000005) at address " + std::string(selfAddress) + " in module '" + self +
             "'. Read of address 00000000"},
        {EXCEPTION_ACCESS_VIOLATION, reinterpret_cast<void*>(0x10), {8, 0x10},
         "Access violation (C0000005) at address 00000010. Execution of address 00000010"},
        {EXCEPTION_ACCESS_VIOLATION, nullptr, {}, "Access violation (C0000005) at address 00000000"},
        {EXCEPTION_INT_DIVIDE_BY_ZERO, inSelf, {},
         "Integer divide by zero (C0000094) at address " + std::string(selfAddress) + " in module '" + self + "'"},
        {0xE0000001, nullptr, {1, 2}, "Exception (E0000001) at address 00000000"},
    };
    for (const Case& c : cases) {
        EXCEPTION_RECORD r{};
        r.ExceptionCode = c.code;
        r.ExceptionAddress = c.address;
        r.NumberParameters = static_cast<DWORD>(c.info.size());
        for (size_t i = 0; i < c.info.size(); ++i) r.ExceptionInformation[i] = c.info[i];
        EXPECT_EQ(crash::StructuredExceptionMessage(r), c.expected);
    }
}

// A structured exception ends the probe process once its report is handled.
TEST(CrashProbeTest, AStructuredExceptionIsShownOnTheUiThreadReportedAndEndsTheProcess) {
    struct Case {
        const char* fault;
        bool send;
        DWORD code;
        const char* messageStart;
        bool onWorker;
        const char* notifiedOn;  // a stack overflow on the UI thread is announced from a helper thread
    } cases[] = {
        {"worker-av", true, EXCEPTION_ACCESS_VIOLATION, "Access violation (C0000005) at address ", true, "ui=1"},
        {"worker-div", true, EXCEPTION_INT_DIVIDE_BY_ZERO, "Integer divide by zero (C0000094) at address ", true,
         "ui=1"},
        {"ui-av", true, EXCEPTION_ACCESS_VIOLATION, "Access violation (C0000005) at address ", false, "ui=1"},
        {"worker-av", false, EXCEPTION_ACCESS_VIOLATION, "Access violation (C0000005) at address ", true, "ui=1"},
        {"worker-stack", true, EXCEPTION_STACK_OVERFLOW, "Stack overflow (C00000FD) at address ", true, "ui=1"},
        {"ui-stack", true, EXCEPTION_STACK_OVERFLOW, "Stack overflow (C00000FD) at address ", false, "ui=0"},
    };
    const std::string probe = ExtractFilePath(ModuleFileName()) + "crash_probe.exe";
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.fault) + (c.send ? " send" : " don't send"));
        std::string temp = qv::test::MakeTempFolder("probe");
        // No backslash before a closing quote: the command-line parser would take it as an escape.
        std::string reportsArg = temp + "reports", reports = reportsArg + "\\", log = temp + "probe.log";
        std::string cmd = "\"" + probe + "\" " + c.fault + (c.send ? " send " : " dontsend ") + "\"" + reportsArg +
                          "\" \"" + log + "\"";
        STARTUPINFOA si{};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi{};
        ASSERT_TRUE(CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
        ASSERT_EQ(WaitForSingleObject(pi.hProcess, 60000), WAIT_OBJECT_0);
        DWORD exitCode = 0;
        GetExitCodeProcess(pi.hProcess, &exitCode);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
        EXPECT_EQ(exitCode, c.code);

        std::string text = ReadText(log);
        std::istringstream lines(text);
        std::string line, uiId, workerId, notifyLine;
        while (std::getline(lines, line)) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (line.rfind("ui ", 0) == 0) uiId = line.substr(3);
            if (line.rfind("worker ", 0) == 0) workerId = line.substr(7);
            if (line.rfind("notify ", 0) == 0) notifyLine = line;
        }
        EXPECT_EQ(text.find("survived"), std::string::npos) << text;
        EXPECT_EQ(text.find("not ended"), std::string::npos) << text;
        EXPECT_EQ(notifyLine.rfind(std::string("notify ") + c.notifiedOn + " message=" + c.messageStart, 0), 0u)
            << text;
        EXPECT_NE(notifyLine.find(" in module 'crash_probe.exe'"), std::string::npos) << text;

        std::vector<std::string> reportsMade = FilesIn(reports, "*.txt");
        if (c.send) {
            ASSERT_EQ(reportsMade.size(), 1u) << text;
            std::string report = ReadText(reports + reportsMade[0]);
            std::string threadLine = "Thread: " + (c.onWorker ? workerId + " (worker)" : uiId + " (UI thread)");
            EXPECT_NE(report.find(threadLine), std::string::npos) << report;
            char codeLine[64];
            snprintf(codeLine, sizeof codeLine, "Exception code: %08lX", static_cast<unsigned long>(c.code));
            EXPECT_NE(report.find(codeLine), std::string::npos) << report;
            EXPECT_NE(report.find("Module: "), std::string::npos);
            EXPECT_NE(report.find("crash_probe.exe\r\n"), std::string::npos) << report;
            if (SystemDbghelpCanDump()) {
                EXPECT_EQ(FilesIn(reports, "*.dmp").size(), 1u);
            }
        } else {
            EXPECT_TRUE(FilesIn(reports).empty());
        }
        qv::test::RemoveFolderTree(temp);
    }
}

}  // namespace
