// A small program that fails on purpose, for the crash reporter's tests:
//   crash_probe <fault> <answer> <reports folder> <log file>
// fault: worker-av, worker-div, worker-stack, ui-av, ui-stack (ui: on the UI thread, inside a call
// handed over by a worker);
// answer: send or dontsend, what its error notification says. The log gets one line per event.
// It ends by itself after 30 s should the fault not end it (exit code 0: the test then fails).
#include <windows.h>

#include <cstdio>
#include <string>

#include "common/crash/CrashReporter.h"
#include "common/thread/Thread.h"

namespace {

std::string g_log;

void Log(const std::string& line) {
    HANDLE f = CreateFileA(g_log.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) return;
    std::string text = line + "\r\n";
    DWORD n = 0;
    WriteFile(f, text.data(), static_cast<DWORD>(text.size()), &n, nullptr);
    CloseHandle(f);
}

volatile uintptr_t g_badAddress = 16;

volatile int g_zero = 0;

int Recurse(int depth) {
    volatile char frame[512];
    frame[depth % 512] = static_cast<char>(depth);
    return g_zero == 0 ? Recurse(depth + 1) + frame[0] : 0;
}

void Fault(const std::string& kind) {
    if (kind == "stack") {
        Recurse(0);
    } else if (kind == "div") {
        volatile int r = 1000 / g_zero;
        (void)r;
    } else {
        *reinterpret_cast<volatile int*>(g_badAddress) = 1;
    }
}

class TFaultingThread : public qv::TThread {
public:
    TFaultingThread(std::string where, std::string kind) : where_(std::move(where)), kind_(std::move(kind)) {}

protected:
    void Execute() override {
        Log("worker " + std::to_string(GetCurrentThreadId()));
        if (where_ == "ui")
            Synchronize([this] { Fault(kind_); });
        else
            Fault(kind_);
        Log("worker survived");
    }

private:
    std::string where_, kind_;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 5) return 2;
    const std::string fault = argv[1];
    const bool send = std::string(argv[2]) == "send";
    g_log = argv[4];
    const size_t dash = fault.find('-');
    const std::string where = fault.substr(0, dash), kind = fault.substr(dash + 1);

    qv::InitMainThread();
    Log("ui " + std::to_string(GetCurrentThreadId()));
    qv::crash::Install("CrashProbe", argv[3], [send](const std::string& message) {
        Log(std::string("notify ui=") + (qv::IsMainThread() ? "1" : "0") + " message=" + message);
        return send;
    });

    auto* worker = new TFaultingThread(where, kind);
    worker->FreeOnTerminate = true;
    worker->Start();

    SetTimer(nullptr, 0, 30000, nullptr);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0)) {
        if (msg.message == WM_TIMER && !msg.hwnd) break;
        DispatchMessageA(&msg);
    }
    Log("probe not ended by its fault");
    return 0;
}
