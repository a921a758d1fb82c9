// Tidewell: the wizard that updates Quorvane and its components.
#include <windows.h>

#include "common/thread/Thread.h"
#include "common/ui/Application.h"
#include "tidewell/wizard/CommandLine.h"
#include "tidewell/wizard/MainUnit.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    using namespace qv;
    ui::Application().Initialize(instance);
    ui::Application().SetTitle("Quorvane - Tidewell");
    InitMainThread();  // before the first window a worker talks to (with -S the search starts at once)
    TMainForm main;
    ui::Application().SetMainForm(&main);
    main.FormCreate(ProgramArguments());
    main.CreateSmallWindows();
    ui::Application().Run();
    DoneMainThread();  // a worker still waiting for the main thread is let go before the windows go
    return 0;
}
