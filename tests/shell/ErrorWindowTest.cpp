// An unhandled error reaches our error window through the crash reporter; the user's answer
// decides whether a report is written.
#include <windows.h>

#include <gtest/gtest.h>

#include <stdexcept>

#include "common/core/Unhandled.h"
#include "common/crash/CrashReporter.h"
#include "common/thread/Thread.h"
#include "common/ui/Application.h"
#include "common/ui/Timer.h"
#include "quorvane/shell/ErrorUnit.h"
#include "tests/support/TestPaths.h"

using namespace qv;

namespace {
int FilesIn(const std::string& folder) {
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((folder + "*.txt").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return 0;
    int n = 0;
    do ++n;
    while (FindNextFileA(h, &fd));
    FindClose(h);
    return n;
}
}  // namespace

TEST(ErrorWindow, UnhandledErrorIsShownWithAFullStopAndTheAnswerDecidesTheReport) {
    ui::Application().Initialize();
    if (!IsMainThread()) InitMainThread();
    std::string folder = test::MakeTempFolder("reports");
    crash::Install("Quorvane", folder, ShowErrorNotification);

    struct Case {
        bool send;
        int expectReports;
    } cases[] = {{false, 0}, {true, 1}};
    for (const Case& c : cases) {
        std::string shown, caption;
        ui::TTimer answer("Answer", 10, true);
        answer.OnTimer = [&](ui::TTimer* t) {
            auto* dlg = dynamic_cast<TErrorDialog*>(ui::Application().ActiveForm());
            if (!dlg || !dlg->Visible()) return;
            t->SetEnabled(false);
            shown = dlg->LabelError->Caption();
            char text[128] = {0};
            GetWindowTextA(dlg->Handle(), text, sizeof text);
            caption = text;
            SendMessageA((c.send ? dlg->SendButton : dlg->DontSendButton)->Handle(), BM_CLICK, 0, 0);
        };
        ReportUnhandled(std::make_exception_ptr(std::runtime_error("Access denied")));
        EXPECT_EQ("Access denied.", shown);
        EXPECT_EQ("Quorvane - Error occurred", caption);
        EXPECT_EQ(c.expectReports, FilesIn(folder)) << (c.send ? "Send" : "Don't Send");
    }
    crash::Uninstall();
    test::RemoveFolderTree(folder);
}
