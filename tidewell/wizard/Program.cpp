// Tidewell: the wizard that updates Quorvane and its components.
#include <windows.h>

#include "common/ui/Application.h"
#include "tidewell/wizard/CommandLine.h"
#include "tidewell/wizard/MainUnit.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    using namespace qv;
    ui::Application().Initialize(instance);
    ui::Application().SetTitle("Quorvane - Tidewell");
    TMainForm main;
    ui::Application().SetMainForm(&main);
    main.FormCreate(ProgramArguments());
    main.CreateSmallWindows();
    ui::Application().Run();
    return 0;
}
