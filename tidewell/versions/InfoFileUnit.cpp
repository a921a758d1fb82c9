#include "tidewell/versions/InfoFileUnit.h"

#include "common/core/Convert.h"
#include "common/core/Registry.h"
#include "common/core/Text.h"
#include "tidewell/UpdaterKeys.h"

namespace qv {

bool TVersion::Parse(const std::string& text) {
    int part = 1;
    std::string segment;
    auto store = [&]() {
        if (part <= 3) {
            int32_t value = 0;
            if (!TryStrToInt(segment, value)) return false;
            (part == 1 ? Major : part == 2 ? Minor : Release) = value;
        }
        segment.clear();
        ++part;
        return true;
    };
    for (char c : text) {
        if (c != '.')
            segment += c;
        else if (!store())
            return false;
    }
    return segment.empty() || store();
}

int32_t TVersion::CompareTo(const TVersion& other) const {
    if (Major != other.Major) return Major > other.Major ? 1 : -1;
    if (Minor != other.Minor) return Minor > other.Minor ? 1 : -1;
    if (Release != other.Release) return Release > other.Release ? 1 : -1;
    return 0;
}

std::string TVersion::ToText() const { return IntToStr(Major) + "." + IntToStr(Minor) + "." + IntToStr(Release); }

TVersion ReadInstalledVersion(const std::string& fileName) {
    TVersion version;
    TRegistry reg;
    reg.SetRootKey(HKEY_LOCAL_MACHINE);
    std::string text;
    if (reg.OpenKeyReadOnly(kVersionControlKeyPath) == ERROR_SUCCESS &&
        reg.ReadString(fileName, text) == ERROR_SUCCESS)
        version.Parse(text);  // a malformed text keeps what parsed before the fault
    return version;
}

std::vector<std::string> ListInstalledComponents() {
    std::vector<std::string> names;
    TRegistry reg;
    reg.SetRootKey(HKEY_LOCAL_MACHINE);
    if (reg.OpenKeyReadOnly(kVersionControlKeyPath) == ERROR_SUCCESS) reg.GetValueNames(names);
    return names;
}

const char kNoInstalledComponentsText[] = "Tidewell couldnt find any installed components on your system";

std::vector<std::string> InstalledComponentLines() {
    std::vector<std::string> lines = ListInstalledComponents();
    if (lines.empty()) lines.emplace_back(kNoInstalledComponentsText);
    return lines;
}

LSTATUS RecordInstalledVersion(const std::string& fileName, const TVersion& version) {
    TRegistry reg;
    reg.SetRootKey(HKEY_LOCAL_MACHINE);
    LSTATUS st = reg.OpenKey(kVersionControlKeyPath, true);
    if (st != ERROR_SUCCESS) return st;
    return reg.WriteString(fileName, version.ToText());
}

}  // namespace qv
