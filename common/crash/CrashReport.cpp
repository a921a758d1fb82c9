// The report file and the texts that describe a structured exception.
#include <windows.h>
#include <dbghelp.h>

#include <cstdio>
#include <cstring>

#include "common/core/Handles.h"
#include "common/core/Text.h"
#include "common/crash/CrashReporter.h"
#include "common/thread/Thread.h"

namespace qv::crash {

namespace {

const char* ExceptionName(DWORD code) {
    switch (code) {
    case EXCEPTION_ACCESS_VIOLATION: return "Access violation";
    case EXCEPTION_INT_DIVIDE_BY_ZERO: return "Integer divide by zero";
    case EXCEPTION_INT_OVERFLOW: return "Integer overflow";
    case EXCEPTION_FLT_DIVIDE_BY_ZERO: return "Floating point divide by zero";
    case EXCEPTION_FLT_OVERFLOW: return "Floating point overflow";
    case EXCEPTION_FLT_UNDERFLOW: return "Floating point underflow";
    case EXCEPTION_FLT_INVALID_OPERATION: return "Invalid floating point operation";
    case EXCEPTION_FLT_INEXACT_RESULT: return "Inexact floating point result";
    case EXCEPTION_FLT_DENORMAL_OPERAND: return "Denormal floating point operand";
    case EXCEPTION_FLT_STACK_CHECK: return "Floating point stack check";
    case EXCEPTION_STACK_OVERFLOW: return "Stack overflow";
    case EXCEPTION_ILLEGAL_INSTRUCTION: return "Illegal instruction";
    case EXCEPTION_PRIV_INSTRUCTION: return "Privileged instruction";
    case EXCEPTION_IN_PAGE_ERROR: return "In-page error";
    case EXCEPTION_ARRAY_BOUNDS_EXCEEDED: return "Array bounds exceeded";
    case EXCEPTION_DATATYPE_MISALIGNMENT: return "Data type misalignment";
    case EXCEPTION_BREAKPOINT: return "Breakpoint";
    case EXCEPTION_SINGLE_STEP: return "Single step";
    case EXCEPTION_NONCONTINUABLE_EXCEPTION: return "Non-continuable exception";
    case EXCEPTION_INVALID_DISPOSITION: return "Invalid disposition";
    case EXCEPTION_GUARD_PAGE: return "Guard page violation";
    case EXCEPTION_INVALID_HANDLE: return "Invalid handle";
    default: return "Exception";
    }
}

std::string Hex8(uintptr_t v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%08lX", static_cast<unsigned long>(v));
    return buf;
}

}  // namespace

std::string ModuleOfAddress(const void* address) {
    if (!address) return {};
    MEMORY_BASIC_INFORMATION mbi;
    if (::VirtualQuery(address, &mbi, sizeof mbi) != sizeof mbi || !mbi.AllocationBase) return {};
    char path[MAX_PATH];
    DWORD n = ::GetModuleFileNameA(static_cast<HMODULE>(mbi.AllocationBase), path, MAX_PATH);
    return n && n < MAX_PATH ? std::string(path, n) : std::string();
}

namespace {

std::string BaseName(const std::string& path) {
    size_t cut = path.find_last_of("\\/:");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

// Creates the folder and its parents; true when it exists afterwards.
bool CreateFolders(const std::string& folder) {
    std::string f = folder;
    while (f.size() > 3 && (f.back() == '\\' || f.back() == '/')) f.pop_back();
    DWORD attr = ::GetFileAttributesA(f.c_str());
    if (attr != INVALID_FILE_ATTRIBUTES) return (attr & FILE_ATTRIBUTE_DIRECTORY) != 0;
    size_t cut = f.find_last_of("\\/");
    if (cut != std::string::npos && cut > 0 && !CreateFolders(f.substr(0, cut))) return false;
    return ::CreateDirectoryA(f.c_str(), nullptr) || ::GetLastError() == ERROR_ALREADY_EXISTS;
}

std::string FileNamePart(const std::string& name) {
    std::string s = name.empty() ? "Program" : name;
    for (char& c : s)
        if (std::strchr("\\/:*?\"<>|", c) || static_cast<unsigned char>(c) < 32) c = '_';
    return s;
}

bool WriteMiniDump(const std::string& path, EXCEPTION_POINTERS* exception, DWORD threadId) {
    using MiniDumpWriteDumpFn = BOOL(WINAPI*)(HANDLE, DWORD, HANDLE, MINIDUMP_TYPE,
                                              PMINIDUMP_EXCEPTION_INFORMATION,
                                              PMINIDUMP_USER_STREAM_INFORMATION,
                                              PMINIDUMP_CALLBACK_INFORMATION);
    // From the system folder only: a dbghelp.dll planted beside the program is not loaded.
    char sys[MAX_PATH];
    UINT n = ::GetSystemDirectoryA(sys, MAX_PATH);
    if (!n || n >= MAX_PATH) return false;
    LoadedModule dbghelp(::LoadLibraryA((std::string(sys, n) + "\\dbghelp.dll").c_str()));
    if (!dbghelp) return false;
    auto write = reinterpret_cast<MiniDumpWriteDumpFn>(
        reinterpret_cast<void*>(::GetProcAddress(dbghelp.get(), "MiniDumpWriteDump")));
    if (!write) return false;
    KernelHandle file(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    MINIDUMP_EXCEPTION_INFORMATION info{threadId, exception, FALSE};
    BOOL ok = write(::GetCurrentProcess(), ::GetCurrentProcessId(), file.get(), MiniDumpNormal,
                    exception ? &info : nullptr, nullptr, nullptr);
    file.reset();
    if (!ok) ::DeleteFileA(path.c_str());
    return ok != FALSE;
}

std::string WindowsText() {
    OSVERSIONINFOA v{};
    v.dwOSVersionInfoSize = sizeof v;
    if (!::GetVersionExA(&v)) return "unknown";
    char buf[128];
    std::snprintf(buf, sizeof buf, "%s %lu.%lu build %lu %s",
                  v.dwPlatformId == VER_PLATFORM_WIN32_NT ? "NT" : "9x", v.dwMajorVersion, v.dwMinorVersion,
                  v.dwBuildNumber & 0xFFFF, v.szCSDVersion);
    return Trim(buf);
}

}  // namespace

std::string WithoutFinalStop(std::string message) {
    if (!message.empty() && message.back() == '.') message.pop_back();
    return message;
}

std::string StructuredExceptionMessage(const EXCEPTION_RECORD& record) {
    std::string text = std::string(ExceptionName(record.ExceptionCode)) + " (" + Hex8(record.ExceptionCode) +
                       ") at address " + Hex8(reinterpret_cast<uintptr_t>(record.ExceptionAddress));
    std::string module = BaseName(ModuleOfAddress(record.ExceptionAddress));
    if (!module.empty()) text += " in module '" + module + "'";
    if ((record.ExceptionCode == EXCEPTION_ACCESS_VIOLATION || record.ExceptionCode == EXCEPTION_IN_PAGE_ERROR) &&
        record.NumberParameters >= 2) {
        ULONG_PTR kind = record.ExceptionInformation[0];
        const char* verb = kind == 1 ? "Write of" : kind == 8 ? "Execution of" : "Read of";
        text += std::string(". ") + verb + " address " + Hex8(record.ExceptionInformation[1]);
    }
    return text;
}

std::string WriteReport(const std::string& folder, const TCrashInfo& info, EXCEPTION_POINTERS* exception) {
    if (folder.empty() || !CreateFolders(folder)) return {};
    std::string base = folder;
    if (base.back() != '\\' && base.back() != '/') base += '\\';

    SYSTEMTIME t;
    ::GetLocalTime(&t);
    char stamp[64];
    std::snprintf(stamp, sizeof stamp, "%04u%02u%02u-%02u%02u%02u-%lu", t.wYear, t.wMonth, t.wDay, t.wHour,
                  t.wMinute, t.wSecond, ::GetCurrentProcessId());
    std::string stem;
    KernelHandle text;
    for (int n = 1; n <= 999 && !text; ++n) {
        stem = base + FileNamePart(info.program) + "-" + stamp + "-" + std::to_string(n);
        text.reset(::CreateFileA((stem + ".txt").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!text && ::GetLastError() != ERROR_FILE_EXISTS) return {};
    }
    if (!text) return {};

    bool dumped = WriteMiniDump(stem + ".dmp", exception, info.threadId);

    char when[64];
    std::snprintf(when, sizeof when, "%04u-%02u-%02u %02u:%02u:%02u", t.wYear, t.wMonth, t.wDay, t.wHour,
                  t.wMinute, t.wSecond);
    std::string body;
    body += "Time: " + std::string(when) + "\r\n";
    body += "Program: " + info.program + "\r\n";
    body += "Message: " + info.message + "\r\n";
    if (info.structured) {
        body += "Exception code: " + Hex8(info.code) + " (" + ExceptionName(info.code) + ")\r\n";
        body += "Exception address: " + Hex8(reinterpret_cast<uintptr_t>(info.address)) + "\r\n";
    } else {
        body += "Exception code: none (C++ error " + (info.errorClass.empty() ? "of unknown type" : info.errorClass) +
                ")\r\n";
        body += "Exception address: none\r\n";
    }
    body += "Module: " + (info.module.empty() ? "unknown" : info.module) + "\r\n";
    body += "Thread: " + std::to_string(info.threadId) +
            (info.threadId == MainThreadID() ? " (UI thread)" : " (worker)") + "\r\n";
    body += "Process: " + std::to_string(::GetCurrentProcessId()) + "\r\n";
    body += "Windows: " + WindowsText() + "\r\n";
    body += "Minidump: " + (dumped ? BaseName(stem + ".dmp") : std::string("none")) + "\r\n";

    DWORD written = 0;
    BOOL ok = ::WriteFile(text.get(), body.data(), static_cast<DWORD>(body.size()), &written, nullptr);
    text.reset();
    if (!ok || written != body.size()) return {};
    return stem + ".txt";
}

}  // namespace qv::crash
