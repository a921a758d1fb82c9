// Wine's pretended Windows version, switched with winecfg for the processes started afterwards
// (the version is read when a process starts), and put back as it was at the end.
#pragma once
#include <map>
#include <string>

namespace qv::test {

class WineVersionSwitch {
public:
    WineVersionSwitch();
    ~WineVersionSwitch();
    WineVersionSwitch(const WineVersionSwitch&) = delete;
    WineVersionSwitch& operator=(const WineVersionSwitch&) = delete;
    // Whether the version in force at the start is known, so that it can be put back.
    bool CanRestore() const { return !current_.empty(); }
    // winecfg -v version ("win98", "winxp", ...); false when it did not end within 60 s.
    bool Set(const std::string& version);

private:
    std::string saved_;
    std::string current_;
};

// What the " Windows " group shows under each version Wine pretends to be, as this Wine reports it.
struct WineWindowsFacts {
    const char* version;  // winecfg's name
    const char* name;
    const char* type;
    const char* sp;
    const char* build;
    const char* major;
    const char* minor;
};
extern const WineWindowsFacts kWineWindowsFacts[3];  // win98, win2k, winxp
// Checks a report's "version", "type", "sp", "build", "major" and "minor" against the facts.
void ExpectWindowsFacts(const WineWindowsFacts& f, std::map<std::string, std::string>& report);

// Runs a command line and returns what it wrote to its standard output and error; bounded to 60 s.
std::string RunAndRead(const std::string& commandLine);
// "key=value" lines (a trailing carriage return dropped) as a map; other lines are skipped.
std::map<std::string, std::string> KeyValueLines(const std::string& text);

}  // namespace qv::test
