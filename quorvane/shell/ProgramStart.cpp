#include "quorvane/shell/ProgramStart.h"

#include "common/core/Paths.h"
#include "common/core/Registry.h"
#include "common/crash/CrashReporter.h"
#include "common/thread/Thread.h"
#include "common/ui/Application.h"
#include "quorvane/memory/ProgressBarFrm.h"
#include "quorvane/settings/SettingsClass.h"
#include "quorvane/shell/About.h"
#include "quorvane/shell/ErrorUnit.h"
#include "quorvane/shell/MainUnit.h"

namespace qv {

bool ReadStartInTray() {
    TRegistry reg(KEY_READ);
    reg.SetRootKey(HKEY_LOCAL_MACHINE);
    if (reg.OpenKeyReadOnly(kOptionsKeyPath) != ERROR_SUCCESS) return false;
    bool v = false;
    if (reg.ReadBool("LoadQVSystemTray", v) != ERROR_SUCCESS) return false;
    return v;
}

std::string CrashReportsFolder() { return ProgramFolder() + "Reports\\"; }

int RunQuorvane(HINSTANCE instance) {
    ui::TApplication& app = ui::Application();
    app.Initialize(instance);
    app.SetTitle("Quorvane");
    InitMainThread();
    crash::Install("Quorvane", CrashReportsFolder(), ShowErrorNotification);
    bool startInTray = ReadStartInTray();

    // The windows live until the process ends: a wash still running at the end uses them.
    auto* main = new TMainForm();
    main->ProgressForm = new TProgressFrm();
    main->AboutForm = new TAboutUsFrm();

    if (startInTray) {
        app.ShowMainForm = false;
        main->HideToTray();
    }
    app.Run();
    return 0;
}

}  // namespace qv
