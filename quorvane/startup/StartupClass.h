// The programs Windows starts at logon from the Run keys, as a list the Startup page shows.
// An entry can be disabled (its value leaves the registry, the entry stays in the list and in
// startup.dat) and enabled again (the value is written back). startup.dat in the program folder
// holds every entry, one component-stream record each.
#pragma once
#include <windows.h>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "common/stream/ComponentStream.h"

namespace qv {

class TStartupItem;
class TStartupList;

using TStartupItemEvent = std::function<void(TStartupItem* sender)>;
using TStartupListEvent = std::function<void(TStartupList* sender)>;

// Root handles as 32-bit numbers, the way entries and startup.dat keep them.
constexpr uint32_t kRootClassesRoot = 0x80000000u;
constexpr uint32_t kRootCurrentUser = 0x80000001u;
constexpr uint32_t kRootLocalMachine = 0x80000002u;
constexpr uint32_t kRootUsers = 0x80000003u;
constexpr uint32_t kRootCurrentConfig = 0x80000005u;

// The first of the five root names found in text (case-sensitive, in the order above) gives its
// handle; 0 when none is there.
uint32_t RootFromLocation(const std::string& text);
// text without the first occurrence of that root name; text unchanged when none is there.
std::string KeyFromLocation(const std::string& text);
// The root's name followed by key (just key for a root without a name).
std::string LocationOf(uint32_t root, const std::string& key);
HKEY RootHandle(uint32_t root);

struct TRunKey {
    uint32_t Root;
    const char* Key;
};
// The keys ScanRegistry reads, in its order.
extern const TRunKey kStartupRunKeys[5];

class TStartupItem : public TStreamable {
public:
    TStartupItem() = default;
    TStartupItem(const TStartupItem&) = delete;
    TStartupItem& operator=(const TStartupItem&) = delete;

    uint32_t Root() const { return Root_; }
    void SetRoot(uint32_t v) { Root_ = v; }
    const std::string& Key() const { return Key_; }
    void SetKey(const std::string& v) { Key_ = v; }
    const std::string& Name() const { return Name_; }
    void SetName(const std::string& v) { Name_ = v; }
    bool Enabled() const { return Enabled_; }
    // Writes the value back (true) when it is missing, or deletes it (false), in the key that
    // Location names; an unopenable key or an empty Location leaves the registry alone.
    void SetEnabled(bool v);
    const std::string& CommandLine() const { return CommandLine_; }
    void SetCommandLine(const std::string& v) { CommandLine_ = v; }
    const std::string& Location() const { return Location_; }
    // Also sets Root and Key from the text.
    void SetLocation(const std::string& v);
    const TStartupItemEvent& OnChange() const { return OnChange_; }
    void SetOnChange(TStartupItemEvent v) { OnChange_ = std::move(v); }

    // Index of the entry's row in the Startup page's list view; -1 until a row is added for it.
    int32_t ListIndex() const { return ListIndex_; }
    void SetListIndex(int32_t v) { ListIndex_ = v; }

    // True when the value named Name exists under Root\Key and holds text.
    bool IsInRegistry() const;

    std::string StreamClassName() const override;
    std::vector<TStreamProperty> StreamProperties() const override;
    TStreamApply ApplyStreamProperty(const TStreamProperty& property) override;

private:
    bool Enabled_ = false;
    std::string Name_;
    std::string CommandLine_;
    std::string Location_;
    TStartupItemEvent OnChange_;
    int32_t ListIndex_ = -1;
    uint32_t Root_ = 0;
    std::string Key_;
};

// What LoadFromFile found.
enum class TStartupFileState {
    Missing,     // no file: the list is unchanged
    Loaded,      // a sound file, read in full
    Damaged,     // what could be read is loaded; the file was kept (see BackupPath)
    Unreadable,  // the file is there but could not be read: the list is unchanged
};

struct TStartupLoadResult {
    TStartupFileState State = TStartupFileState::Missing;
    int Entries = 0;         // entries loaded
    std::string Problem;     // the first fault found, for Damaged and Unreadable
    std::string BackupPath;  // the copy of a damaged or unreadable file; empty when none was made
};

class TStartupList {
public:
    // The cap on what is read of startup.dat; a longer file counts as damaged.
    static constexpr size_t kMaxFileSize = 16u << 20;
    // Backups of damaged files: startup.dat.bak, startup.dat.bak2 ... startup.dat.bak9.
    static constexpr int kMaxBackups = 9;

    TStartupList() = default;
    TStartupList(const TStartupList&) = delete;
    TStartupList& operator=(const TStartupList&) = delete;

    int Count() const { return static_cast<int>(Items_.size()); }
    // 0-based; throws std::out_of_range for an index outside the list.
    TStartupItem* Items(int index) const;
    int IndexOf(const TStartupItem* item) const;
    // The list takes the entry over.
    TStartupItem* Add(std::unique_ptr<TStartupItem> item);
    // Removes and frees the entry at index.
    void Delete(int index);
    void Clear();

    // Adds the entries of the five Run keys that the list does not hold yet.
    void ScanRegistry();
    // True when an entry has these three texts (ASCII letters compared without case).
    bool ContainsEntry(const std::string& name, const std::string& commandLine,
                       const std::string& location) const;
    // Disables the entry (its value leaves the registry), then removes and frees it.
    // Returns false, and does nothing, for an entry that is not in this list.
    bool DeleteEntry(TStartupItem* item);
    // Removes and frees every enabled entry that is no longer IsInRegistry; beforeFree, when
    // set, sees each one first (the page takes its row out there). Returns how many went.
    int RemoveVanished(const std::function<void(TStartupItem&)>& beforeFree = {});

    // Never throws. A damaged file loads what can be read and is copied to a free backup name
    // first; the next SaveToFile to that path goes ahead only once that copy exists.
    TStartupLoadResult LoadFromFile(const std::string& path) noexcept;
    // Writes every entry to a temporary file beside path and then replaces path with it.
    // Returns ERROR_SUCCESS or the system's error code; the old file stays on failure.
    DWORD SaveToFile(const std::string& path) noexcept;
    // The file's bytes for the current entries.
    std::string SaveToBytes() const;

    const TStartupListEvent& OnChange() const { return OnChange_; }
    void SetOnChange(TStartupListEvent v) { OnChange_ = std::move(v); }

private:
    DWORD KeepDamagedFile(const std::string& path, std::string& backup);

    std::vector<std::unique_ptr<TStartupItem>> Items_;
    TStartupListEvent OnChange_;
    std::string UnsavedDamage_;  // a damaged file not copied yet; SaveToFile must not replace it
};

}  // namespace qv
