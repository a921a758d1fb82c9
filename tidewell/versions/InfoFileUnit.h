// Version numbers, the files an update list offers, the list itself, and the record of
// installed components under the VersionControl key.
#pragma once
#include <windows.h>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace qv {

// Three-part version, 0.0.0 when new. Text form Major.Minor.Release.
class TVersion {
public:
    int32_t Major = 0;
    int32_t Release = 0;  // third part
    int32_t Minor = 0;    // second part

    // Sets the parts from text such as "2.1.0". Each part is converted at its "." (or at the end
    // of the text) as StrToIntStrict does; parts from the fourth on are not looked at. Parts the
    // text doesn't reach keep their values. On failure (an empty or non-numeric part) it returns
    // false at once: parts stored before the fault keep their new values, the rest their old.
    bool Parse(const std::string& text);
    // 1 when this version is higher, -1 when lower, 0 when equal (Major, then Minor, then Release).
    int32_t CompareTo(const TVersion& other) const;
    std::string ToText() const;
};

// One file offered by the update list.
class TFile {
public:
    explicit TFile(std::string fileName) : FileName(std::move(fileName)) {}

    bool Force = false;            // cannot be unticked on the selection page
    int32_t FileSize = 0;          // bytes
    std::string FilePath;          // download address, macros expanded
    std::string FileName;          // value name under VersionControl
    TVersion Version;              // offered version; recorded after installing
    std::string DestFile;          // destination, macros expanded
    std::string ProductName;
    bool DefaultDownload = true;   // the line starts ticked
    std::string Description;
    std::string Finished;          // post-install keywords
    std::string FinishedMsg;
};

// The update list of one session; owns its files.
class TInfoFile {
public:
    explicit TInfoFile(const std::string& name) : Name(name), ProductName(name) {}

    std::string Name;
    std::string ProductName;
    std::vector<std::unique_ptr<TFile>> Files;  // in the list's order
    TVersion ProductVersion;
    std::string Terminate;
    std::string TerminateMsg;
};

// The installed version of a file, 0.0.0 when none is recorded. A recorded text that doesn't
// parse gives the parts parsed before the fault; a value that is not text counts as not recorded.
// An empty name reads the key's unnamed value.
TVersion ReadInstalledVersion(const std::string& fileName);

// The value names of VersionControl in the registry's order; empty when the key is missing.
std::vector<std::string> ListInstalledComponents();

// The welcome page's lines: the installed components, or this one line when there are none.
extern const char kNoInstalledComponentsText[];
std::vector<std::string> InstalledComponentLines();

// Writes version's text as the value fileName under VersionControl, creating the key when
// missing. Returns the registry's status.
LSTATUS RecordInstalledVersion(const std::string& fileName, const TVersion& version);

}  // namespace qv
