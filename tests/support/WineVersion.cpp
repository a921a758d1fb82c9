#include "tests/support/WineVersion.h"

#include <windows.h>

#include <sstream>

#include <gtest/gtest.h>

#include "common/core/Handles.h"
#include "common/core/Registry.h"

namespace qv::test {

namespace {
std::string WineVersionSetting() {
    TRegistry reg(KEY_READ);
    reg.SetRootKey(HKEY_CURRENT_USER);
    std::string v;
    if (reg.OpenKeyReadOnly("Software\\Wine") == ERROR_SUCCESS) reg.ReadString("Version", v);
    return v;
}
}  // namespace

WineVersionSwitch::WineVersionSwitch() : saved_(WineVersionSetting()) {
    OSVERSIONINFOA vi{};
    vi.dwOSVersionInfoSize = sizeof vi;
    GetVersionExA(&vi);  // this process started under the version to go back to
    const struct {
        DWORD major, minor;
        const char* name;
    } names[] = {{10, 0, "win10"}, {6, 3, "win81"}, {6, 2, "win8"}, {6, 1, "win7"},
                 {6, 0, "vista"},  {5, 1, "winxp"}, {5, 0, "win2k"}};
    for (const auto& n : names)
        if (vi.dwMajorVersion == n.major && vi.dwMinorVersion == n.minor) current_ = n.name;
    if (!saved_.empty()) current_ = saved_;
}

WineVersionSwitch::~WineVersionSwitch() {
    if (!current_.empty()) Set(current_);
    if (saved_.empty()) {
        TRegistry reg;
        reg.SetRootKey(HKEY_CURRENT_USER);
        if (reg.OpenKey("Software\\Wine", false) == ERROR_SUCCESS) reg.DeleteValue("Version");
    }
}

bool WineVersionSwitch::Set(const std::string& version) {
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    std::string cmd = "winecfg.exe -v " + version;
    if (!CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return false;
    KernelHandle process(pi.hProcess), thread(pi.hThread);
    return WaitForSingleObject(pi.hProcess, 60000) == WAIT_OBJECT_0;
}

std::string RunAndRead(const std::string& commandLine) {
    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
    HANDLE r = nullptr, w = nullptr;
    if (!CreatePipe(&r, &w, &sa, 0)) return {};
    KernelHandle readEnd(r), writeEnd(w);
    SetHandleInformation(r, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = w;
    si.hStdError = w;
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION pi{};
    std::string cmd = commandLine;
    if (!CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi)) return {};
    KernelHandle process(pi.hProcess), thread(pi.hThread);
    writeEnd.reset();
    std::string out;
    char buf[4096];
    DWORD got = 0;
    while (ReadFile(r, buf, sizeof buf, &got, nullptr) && got > 0) out.append(buf, got);
    if (WaitForSingleObject(pi.hProcess, 60000) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 1);
    return out;
}

const WineWindowsFacts kWineWindowsFacts[3] = {
    {"win98", "Windows 98SE", "N/A", "0", "2222", "4", "10"},
    {"win2k", "Windows 2000", "Professional Edition", "4", "2195", "5", "0"},
    {"winxp", "Windows XP", "Professional Edition", "3", "2600", "5", "1"},
};

void ExpectWindowsFacts(const WineWindowsFacts& f, std::map<std::string, std::string>& r) {
    EXPECT_EQ(f.name, r["version"]);
    EXPECT_EQ(f.type, r["type"]);
    EXPECT_EQ(f.sp, r["sp"]);
    EXPECT_EQ(f.build, r["build"]);
    EXPECT_EQ(f.major, r["major"]);
    EXPECT_EQ(f.minor, r["minor"]);
}

std::map<std::string, std::string> KeyValueLines(const std::string& text) {
    std::map<std::string, std::string> values;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        size_t eq = line.find('=');
        if (eq != std::string::npos) values[line.substr(0, eq)] = line.substr(eq + 1);
    }
    return values;
}

}  // namespace qv::test
