#include "quorvane/startup/StartupClass.h"

#include <cstring>
#include <stdexcept>

#include "common/core/OSError.h"
#include "common/core/Paths.h"
#include "common/core/Registry.h"
#include "common/core/SafeFile.h"
#include "common/core/Text.h"

namespace qv {

namespace {

struct TRootName {
    uint32_t Root;
    const char* Name;
};

// Searched in this order by RootFromLocation and KeyFromLocation.
const TRootName kRootNames[] = {
    {kRootClassesRoot, "HKEY_CLASSES_ROOT"},     {kRootCurrentUser, "HKEY_CURRENT_USER"},
    {kRootLocalMachine, "HKEY_LOCAL_MACHINE"},   {kRootUsers, "HKEY_USERS"},
    {kRootCurrentConfig, "HKEY_CURRENT_CONFIG"},
};

const TRootName* FindRootName(const std::string& text, size_t& at) {
    for (const TRootName& r : kRootNames) {
        at = text.find(r.Name);
        if (at != std::string::npos) return &r;
    }
    return nullptr;
}

bool IsTextType(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ; }

const char kClassName[] = "TStartupItem";

}  // namespace

const TRunKey kStartupRunKeys[5] = {
    {kRootCurrentUser, "\\Software\\Microsoft\\Windows\\CurrentVersion\\Run"},
    {kRootCurrentUser, "\\Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce"},
    {kRootLocalMachine, "\\Software\\Microsoft\\Windows\\CurrentVersion\\Run"},
    {kRootLocalMachine, "\\Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce"},
    {kRootLocalMachine, "\\Software\\Microsoft\\Windows\\CurrentVersion\\RunOnceEx"},
};

uint32_t RootFromLocation(const std::string& text) {
    size_t at = 0;
    const TRootName* r = FindRootName(text, at);
    return r ? r->Root : 0;
}

std::string KeyFromLocation(const std::string& text) {
    size_t at = 0;
    const TRootName* r = FindRootName(text, at);
    if (!r) return text;
    std::string key = text;
    key.erase(at, strlen(r->Name));
    return key;
}

std::string LocationOf(uint32_t root, const std::string& key) {
    for (const TRootName& r : kRootNames)
        if (r.Root == root) return r.Name + key;
    return key;
}

// Predefined roots are sign-extended 32-bit numbers.
HKEY RootHandle(uint32_t root) {
    return reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(static_cast<LONG_PTR>(static_cast<int32_t>(root))));
}

// ---- TStartupItem

void TStartupItem::SetLocation(const std::string& v) {
    Location_ = v;
    Root_ = RootFromLocation(v);
    Key_ = KeyFromLocation(v);
}

void TStartupItem::SetEnabled(bool v) {
    Enabled_ = v;
    uint32_t root = RootFromLocation(Location_);
    if (root == 0) return;
    TRegistry reg(KEY_READ | KEY_WRITE);
    reg.SetRootKey(RootHandle(root));
    if (reg.OpenKey(KeyFromLocation(Location_), false) != ERROR_SUCCESS) return;
    DWORD type = 0;
    bool exists = reg.GetDataType(Name_, type) == ERROR_SUCCESS;
    if (v && !exists) {
        reg.WriteString(Name_, CommandLine_);
    } else if (!v && exists && IsTextType(type)) {
        // A value that holds no text starts nothing, and the entry could not give its data back
        // when enabled again: it stays.
        reg.DeleteValue(Name_);
    }
}

bool TStartupItem::IsInRegistry() const {
    if (Root_ == 0) return false;
    TRegistry reg(KEY_READ);
    reg.SetRootKey(RootHandle(Root_));
    if (reg.OpenKeyReadOnly(Key_) != ERROR_SUCCESS) return false;
    DWORD type = 0;
    return reg.GetDataType(Name_, type) == ERROR_SUCCESS && IsTextType(type);
}

std::string TStartupItem::StreamClassName() const { return kClassName; }

std::vector<TStreamProperty> TStartupItem::StreamProperties() const {
    std::vector<TStreamProperty> p;
    if (!Name_.empty()) p.push_back({"Name", TStreamValue::OfText(Name_)});
    p.push_back({"Root", TStreamValue::OfInteger(static_cast<int32_t>(Root_))});
    if (!Key_.empty()) p.push_back({"Key", TStreamValue::OfText(Key_)});
    p.push_back({"Enabled", TStreamValue::OfBoolean(Enabled_)});
    if (!CommandLine_.empty()) p.push_back({"CommandLine", TStreamValue::OfText(CommandLine_)});
    if (!Location_.empty()) p.push_back({"Location", TStreamValue::OfText(Location_)});
    return p;
}

TStreamApply TStartupItem::ApplyStreamProperty(const TStreamProperty& p) {
    using K = TStreamValueKind;
    struct Rule {
        const char* Name;
        K Kind;
    };
    static const Rule kRules[] = {{"Name", K::Text},    {"Root", K::Integer},       {"Key", K::Text},
                                  {"Enabled", K::Boolean}, {"CommandLine", K::Text}, {"Location", K::Text},
                                  {"Tag", K::Integer}};
    const Rule* rule = nullptr;
    for (const Rule& r : kRules)
        if (SameTextAscii(p.Name, r.Name)) rule = &r;
    if (!rule) return TStreamApply::UnknownProperty;
    if (rule->Kind != p.Value.Kind) return TStreamApply::WrongKind;
    const std::string n = rule->Name;
    if (n == "Name") SetName(p.Value.Text);
    else if (n == "Root") SetRoot(static_cast<uint32_t>(p.Value.Integer));
    else if (n == "Key") SetKey(p.Value.Text);
    // Only the field: reading a file never touches the registry, whatever order its records use.
    else if (n == "Enabled") Enabled_ = p.Value.Boolean;
    else if (n == "CommandLine") SetCommandLine(p.Value.Text);
    else if (n == "Location") SetLocation(p.Value.Text);
    // Tag belongs to every component and is always 0 here: accepted, not kept.
    return TStreamApply::Applied;
}

// ---- TStartupList

TStartupItem* TStartupList::Items(int index) const {
    if (index < 0 || index >= Count()) throw std::out_of_range("List index out of bounds (" + IntToStr(index) + ")");
    return Items_[static_cast<size_t>(index)].get();
}

int TStartupList::IndexOf(const TStartupItem* item) const {
    for (size_t i = 0; i < Items_.size(); ++i)
        if (Items_[i].get() == item) return static_cast<int>(i);
    return -1;
}

TStartupItem* TStartupList::Add(std::unique_ptr<TStartupItem> item) {
    Items_.push_back(std::move(item));
    return Items_.back().get();
}

void TStartupList::Delete(int index) {
    Items(index);  // bounds check
    Items_.erase(Items_.begin() + index);
}

void TStartupList::Clear() { Items_.clear(); }

bool TStartupList::ContainsEntry(const std::string& name, const std::string& commandLine,
                                 const std::string& location) const {
    for (const auto& it : Items_)
        if (SameTextAscii(it->Name(), name) && SameTextAscii(it->CommandLine(), commandLine) &&
            SameTextAscii(it->Location(), location))
            return true;
    return false;
}

void TStartupList::ScanRegistry() {
    for (const TRunKey& rk : kStartupRunKeys) {
        TRegistry reg(KEY_READ | KEY_WRITE);
        reg.SetRootKey(RootHandle(rk.Root));
        if (reg.OpenKey(rk.Key, false) != ERROR_SUCCESS) continue;
        std::vector<std::string> names;
        reg.GetValueNames(names);  // on a failure part way, the names read so far
        const std::string location = LocationOf(rk.Root, rk.Key);
        for (const std::string& name : names) {
            auto item = std::make_unique<TStartupItem>();
            item->SetName(name);
            item->SetEnabled(true);  // no Location yet: the registry is not touched
            std::string text;
            if (reg.ReadString(name, text) == ERROR_SUCCESS) item->SetCommandLine(text);
            item->SetLocation(location);
            if (!ContainsEntry(item->Name(), item->CommandLine(), item->Location())) Add(std::move(item));
        }
    }
}

bool TStartupList::DeleteEntry(TStartupItem* item) {
    int i = IndexOf(item);
    if (i < 0) return false;
    item->SetEnabled(false);
    Delete(i);
    return true;
}

int TStartupList::RemoveVanished(const std::function<void(TStartupItem&)>& beforeFree) {
    int removed = 0;
    for (size_t i = 0; i < Items_.size();) {
        TStartupItem& it = *Items_[i];
        if (it.Enabled() && !it.IsInRegistry()) {
            if (beforeFree) beforeFree(it);
            Items_.erase(Items_.begin() + static_cast<ptrdiff_t>(i));
            ++removed;
        } else {
            ++i;
        }
    }
    return removed;
}

std::string TStartupList::SaveToBytes() const {
    std::string out;
    TStreamWriter w(out);
    w.WriteInt32(Count());
    for (const auto& it : Items_) w.WriteComponent(*it);
    return out;
}

DWORD TStartupList::KeepDamagedFile(const std::string& path, std::string& backup) {
    UnsavedDamage_ = path;
    for (int n = 1; n <= kMaxBackups; ++n) {
        std::string name = path + ".bak" + (n > 1 ? IntToStr(n) : std::string());
        if (::CopyFileA(path.c_str(), name.c_str(), TRUE)) {
            backup = name;
            UnsavedDamage_.clear();
            return ERROR_SUCCESS;
        }
        DWORD err = ::GetLastError();
        if (err != ERROR_FILE_EXISTS && err != ERROR_ALREADY_EXISTS) return err;
    }
    return ERROR_FILE_EXISTS;
}

TStartupLoadResult TStartupList::LoadFromFile(const std::string& path) noexcept {
    TStartupLoadResult r;
    try {
        if (!FileExists(path)) return r;
        std::string data;
        bool tooLong = false;
        DWORD err = ReadFileBounded(path, kMaxFileSize, data, tooLong);
        if (err != ERROR_SUCCESS) {
            r.State = TStartupFileState::Unreadable;
            r.Problem = SysErrorMessage(err);
            KeepDamagedFile(path, r.BackupPath);
            return r;
        }
        Clear();
        std::string problem;
        if (tooLong) problem = "the file is larger than " + UIntToStr(kMaxFileSize) + " bytes";
        int32_t count = 0;
        TStreamReader rd(data.data(), data.size());
        if (data.size() < 4) {
            problem = "the file is shorter than its count field";
        } else {
            count = rd.ReadInt32();
            // Every record that reads in full is kept; after a damaged one, reading goes on at
            // the next signature. Failed attempts may reread bytes (a text can cover the records
            // after it), so their total is bounded to keep a hostile file from taking for ever.
            size_t reread = 0;
            const size_t rereadLimit = 4 * data.size() + 4096;
            while (rd.Remaining() > 0) {
                size_t start = rd.Position();
                auto item = std::make_unique<TStartupItem>();
                try {
                    rd.ReadComponent(*item);
                    Add(std::move(item));
                    ++r.Entries;
                } catch (const EStreamError& e) {
                    if (problem.empty()) problem = e.what();
                    reread += rd.Position() - start;
                    if (reread > rereadLimit) break;
                    rd.Seek(rd.FindSignature(start + 1));
                }
            }
            if (problem.empty() && r.Entries != (count > 0 ? count : 0))
                problem = "the file holds " + IntToStr(r.Entries) + " entries but counts " + IntToStr(count);
        }
        if (problem.empty()) {
            r.State = TStartupFileState::Loaded;
            return r;
        }
        r.State = TStartupFileState::Damaged;
        r.Problem = problem;
        KeepDamagedFile(path, r.BackupPath);
    } catch (const std::exception& e) {
        r.State = TStartupFileState::Damaged;
        r.Problem = e.what();
        if (r.BackupPath.empty()) UnsavedDamage_ = path;
    } catch (...) {
        r.State = TStartupFileState::Damaged;
        if (r.BackupPath.empty()) UnsavedDamage_ = path;
    }
    return r;
}

DWORD TStartupList::SaveToFile(const std::string& path) noexcept {
    try {
        if (!UnsavedDamage_.empty() && SameTextAscii(UnsavedDamage_, path)) {
            if (FileExists(path)) {
                std::string backup;
                DWORD err = KeepDamagedFile(path, backup);
                if (err != ERROR_SUCCESS) return err;
            }
            UnsavedDamage_.clear();
        }
        return WriteFileReplacing(path, SaveToBytes());
    } catch (...) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
}

}  // namespace qv
