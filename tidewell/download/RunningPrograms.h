// Finding and ending the running copies of a program that is about to be replaced.
#pragma once
#include <windows.h>
#include <string>

namespace qv {

// True when a process runs whose executable file name is `name` (letter case ignored). A process
// that carries the updater's own file name never counts, so the updater never closes itself.
// Where the process snapshot is missing (NT 4) nothing is found.
bool IsProgramRunning(const std::string& name);

// Ends every process whose executable file name, or whole path as the snapshot reports it, is
// `name` (letter case ignored), with exit code 0, and waits a bounded time for each to be gone
// so that its file can be replaced. The updater's own process is never ended. The result is that
// of the last matching process, true when none matched.
bool TerminateProgram(const std::string& name);

// How long TerminateProgram waits for one ended process to go away.
constexpr DWORD kProgramEndWaitMs = 5000;

}  // namespace qv
