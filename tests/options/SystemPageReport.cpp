// Starts the real main window and prints what its System page shows, one "key=value" line each;
// run by the tests under the Windows versions Wine can pretend to be.
// "system_page_report show PAGE [TAB]" instead shows the window on that page (and System tab)
// for ten seconds, for a look at it.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "common/thread/Thread.h"
#include "common/ui/Application.h"
#include "quorvane/shell/MainUnit.h"

int main(int argc, char** argv) {
    using namespace qv;
    ui::Application().Initialize();
    InitMainThread();
    TMainForm form;
    if (argc >= 3 && std::strcmp(argv[1], "show") == 0) {
        form.Show();
        form.SelectPage(std::atoi(argv[2]));
        if (argc >= 4) form.SystemPage->SystemTabs->SetTabIndex(std::atoi(argv[3]));
        for (DWORD start = GetTickCount(); GetTickCount() - start < 10000;) {
            ui::Application().ProcessMessages();
            Sleep(20);
        }
        return 0;
    }
    const TSystemPage& p = *form.SystemPage;
    const struct {
        const char* key;
        ui::TLabel* label;
    } rows[] = {{"version", p.RzLabel37}, {"productid", p.RzLabel38}, {"productname", p.RzLabel39},
                {"type", p.RzLabel40},    {"sp", p.RzLabel41},        {"build", p.RzLabel42},
                {"major", p.RzLabel30},   {"minor", p.RzLabel44}};
    for (const auto& r : rows) std::printf("%s=%s\n", r.key, r.label->Caption().c_str());
    std::fflush(stdout);
    return 0;
}
