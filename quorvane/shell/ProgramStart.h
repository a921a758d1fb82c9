// The program's start, from process start to the end of the message loop.
#pragma once
#include <windows.h>

#include <string>

namespace qv {

// LoadQVSystemTray, read straight from the options key (never created); false when the key or
// the value is missing, of another type, or cannot be read.
bool ReadStartInTray();

// Where "Send Error Report" puts its reports: "Reports" in the program's folder.
std::string CrashReportsFolder();

// Runs the program; returns the process exit code.
int RunQuorvane(HINSTANCE instance);

}  // namespace qv
