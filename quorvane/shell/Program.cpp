#include <windows.h>

#include "quorvane/shell/ProgramStart.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    int code = qv::RunQuorvane(instance);
    // Straight out: a wash thread may still be running, and it uses the windows.
    ExitProcess(static_cast<UINT>(code));
}
