#include <gtest/gtest.h>

#include <memory>

#include "common/core/Handles.h"
#include "common/core/Paths.h"
#include "common/core/Registry.h"
#include "common/core/SafeFile.h"
#include "common/core/Text.h"
#include "quorvane/startup/StartupClass.h"
#include "tests/startup/Bytes.h"
#include "tests/support/RegistrySnapshot.h"
#include "tests/support/TestPaths.h"

using namespace qv;
using namespace qv::test;

namespace {

const std::string kTestKey = "\\Software\\QuorvaneTest\\Run";
const std::string kTestLocation = "HKEY_CURRENT_USER" + kTestKey;

void WriteBytes(const std::string& path, const std::string& bytes) {
    KernelHandle f(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(f.valid()) << path;
    DWORD n = 0;
    ASSERT_TRUE(WriteFile(f.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &n, nullptr));
}

std::string ReadBytes(const std::string& path) {
    std::string data;
    bool longer = false;
    EXPECT_EQ(DWORD(ERROR_SUCCESS), ReadFileBounded(path, 1u << 20, data, longer)) << path;
    return data;
}

// Holds a file open with no sharing, as another program might.
KernelHandle Lock(const std::string& path) {
    return KernelHandle(
        CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

std::unique_ptr<TStartupItem> Entry(const std::string& name, const std::string& command,
                                    const std::string& location, bool enabled) {
    auto it = std::make_unique<TStartupItem>();
    it->SetName(name);
    it->SetCommandLine(command);
    it->SetEnabled(enabled);  // before Location: the registry is not touched
    it->SetLocation(location);
    return it;
}

std::vector<std::string> Names(const TStartupList& list) {
    std::vector<std::string> n;
    for (int i = 0; i < list.Count(); ++i) n.push_back(list.Items(i)->Name());
    return n;
}

class StartupFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder = MakeTempFolder("startup");
        ASSERT_FALSE(folder.empty());
        path = folder + "startup.dat";
        // Two records: "A" disabled under the current user, "B" enabled under the local machine.
        TStartupList two;
        two.Add(Entry("A", "a.exe", kTestLocation, false));
        two.Add(Entry("B", "b.exe", "HKEY_LOCAL_MACHINE" + kTestKey, true));
        sound = two.SaveToBytes();
        firstEnd = sound.find("TPF0", 5);
    }
    void TearDown() override { RemoveFolderTree(folder); }

    // The list as the main window has it before loading: one entry the load must replace.
    static void Prefill(TStartupList& list) { list.Add(Entry("Old", "old.exe", kTestLocation, false)); }

    std::string folder, path, sound;
    size_t firstEnd = 0;
};

}  // namespace

TEST_F(StartupFileTest, EmptyListIsFourZeroBytesAndLoadingItEmptiesTheList) {
    TStartupList empty;
    ASSERT_EQ(DWORD(ERROR_SUCCESS), empty.SaveToFile(path));
    EXPECT_EQ(Hex("00 00 00 00"), ReadBytes(path));

    TStartupList list;
    Prefill(list);
    TStartupLoadResult r = list.LoadFromFile(path);
    EXPECT_EQ(TStartupFileState::Loaded, r.State);
    EXPECT_EQ(0, list.Count());
    EXPECT_FALSE(FileExists(path + ".bak"));
    EXPECT_FALSE(FileExists(ReplacementTempName(path)));
}

TEST_F(StartupFileTest, MissingFileLeavesTheListAsItWas) {
    TStartupList list;
    Prefill(list);
    EXPECT_EQ(TStartupFileState::Missing, list.LoadFromFile(path).State);
    EXPECT_EQ(1, list.Count());
}

TEST_F(StartupFileTest, SaveAndLoadKeepEveryEntryInOrder) {
    TStartupList list;
    list.Add(Entry("", "default.exe", kTestLocation, true));  // the key's default value
    list.Add(Entry("Long", std::string(300, 'x'), kTestLocation, false));
    list.Add(Entry("Caf\xE9", "C:\\Caf\xE9\\run.exe", "HKEY_LOCAL_MACHINE" + kTestKey, false));
    list.Add(Entry("Bare", "", "", false));
    ASSERT_EQ(DWORD(ERROR_SUCCESS), list.SaveToFile(path));
    EXPECT_EQ(list.SaveToBytes(), ReadBytes(path));

    TStartupList back;
    TStartupLoadResult r = back.LoadFromFile(path);
    EXPECT_EQ(TStartupFileState::Loaded, r.State) << r.Problem;
    EXPECT_EQ(4, r.Entries);
    ASSERT_EQ(4, back.Count());
    for (int i = 0; i < 4; ++i) {
        const TStartupItem &a = *list.Items(i), &b = *back.Items(i);
        EXPECT_EQ(a.Name(), b.Name()) << i;
        EXPECT_EQ(a.CommandLine(), b.CommandLine()) << i;
        EXPECT_EQ(a.Location(), b.Location()) << i;
        EXPECT_EQ(a.Enabled(), b.Enabled()) << i;
        EXPECT_EQ(a.Root(), b.Root()) << i;
        EXPECT_EQ(a.Key(), b.Key()) << i;
    }
}

TEST_F(StartupFileTest, LoadingNeverTouchesTheRegistry) {
    RegistrySnapshot keep(HKEY_CURRENT_USER, "Software\\QuorvaneTest");
    TRegistry reg;
    ASSERT_EQ(ERROR_SUCCESS, reg.OpenKey(kTestKey, true));
    ASSERT_EQ(ERROR_SUCCESS, reg.WriteString("Tool", "tool.exe"));
    // A record that names its key before it says "disabled", and one enabled whose value is missing.
    std::string file = Le32(2) + RecordHead() + Short("Name") + Ascii("Tool") + Short("Location") +
                       Ascii(kTestLocation) + Short("Enabled") + Hex("08") + RecordEnd() + RecordHead() +
                       Short("Name") + Ascii("New") + Short("Location") + Ascii(kTestLocation) +
                       Short("Enabled") + Hex("09") + RecordEnd();
    WriteBytes(path, file);
    TStartupList list;
    EXPECT_EQ(TStartupFileState::Loaded, list.LoadFromFile(path).State);
    ASSERT_EQ(2, list.Count());
    EXPECT_FALSE(list.Items(0)->Enabled());
    EXPECT_TRUE(list.Items(1)->Enabled());
    EXPECT_TRUE(reg.ValueExists("Tool"));
    EXPECT_FALSE(reg.ValueExists("New"));
}

TEST_F(StartupFileTest, RecordsInOtherSoundFormsLoad) {
    // Another writer may use the wide and UTF-8 text forms, the component's Tag and other cases.
    std::string file = Le32(1) + RecordHead() + Short("Tag") + Hex("02 00") + Short("name") +
                       Hex("12 02 00 00 00 41 00 E9 00") + Short("CommandLine") + Hex("14 03 00 00 00 61 C3 A9") +
                       Short("Enabled") + Hex("09") + Short("Location") + Hex("0C") + Le32(kTestLocation.size()) +
                       kTestLocation + RecordEnd();
    WriteBytes(path, file);
    TStartupList list;
    TStartupLoadResult r = list.LoadFromFile(path);
    EXPECT_EQ(TStartupFileState::Loaded, r.State) << r.Problem;
    ASSERT_EQ(1, list.Count());
    EXPECT_EQ(WideToAnsi(L"A\u00E9"), list.Items(0)->Name());
    EXPECT_EQ(WideToAnsi(L"a\u00E9"), list.Items(0)->CommandLine());
    EXPECT_EQ(kRootCurrentUser, list.Items(0)->Root());
    EXPECT_EQ(kTestKey, list.Items(0)->Key());
    EXPECT_TRUE(list.Items(0)->Enabled());
    EXPECT_FALSE(FileExists(path + ".bak"));
}

TEST_F(StartupFileTest, AFileOverTheCapReadsUpToItAndIsKeptWhole) {
    const std::string big = sound + std::string(TStartupList::kMaxFileSize, 'x');
    WriteBytes(path, big);
    TStartupList list;
    TStartupLoadResult r = list.LoadFromFile(path);
    EXPECT_EQ(TStartupFileState::Damaged, r.State);
    EXPECT_EQ((std::vector<std::string>{"A", "B"}), Names(list));
    WIN32_FILE_ATTRIBUTE_DATA a{};
    ASSERT_TRUE(GetFileAttributesExA(r.BackupPath.c_str(), GetFileExInfoStandard, &a));
    EXPECT_EQ(big.size(), a.nFileSizeLow);
}

TEST_F(StartupFileTest, TruncatedAnywhereLoadsTheWholeRecordsAndKeepsTheFile) {
    for (size_t cut = 0; cut < sound.size(); ++cut) {
        const std::string part = sound.substr(0, cut);
        WriteBytes(path, part);
        TStartupList list;
        Prefill(list);
        TStartupLoadResult r = list.LoadFromFile(path);
        int whole = cut >= firstEnd ? 1 : 0;
        EXPECT_EQ(TStartupFileState::Damaged, r.State) << cut;
        EXPECT_EQ(whole, r.Entries) << cut;
        ASSERT_EQ(whole, list.Count()) << cut;
        if (whole) {
            EXPECT_EQ("A", list.Items(0)->Name());
            EXPECT_EQ("a.exe", list.Items(0)->CommandLine());
            EXPECT_FALSE(list.Items(0)->Enabled());
        }
        EXPECT_EQ(path + ".bak", r.BackupPath) << cut;
        EXPECT_EQ(part, ReadBytes(path + ".bak")) << cut;
        DeleteFileA(r.BackupPath.c_str());
    }
}

TEST_F(StartupFileTest, DamagedRecordsAreSkippedAndTheRestIsRead) {
    auto at = [&](const std::string& what, size_t from = 0) { return sound.find(what, from); };
    auto set = [&](size_t pos, const char* hex) {
        std::string s = sound;
        std::string b = Hex(hex);
        s.replace(pos, b.size(), b);
        return s;
    };
    using V = std::vector<std::string>;
    const V both{"A", "B"}, onlyA{"A"}, onlyB{"B"};
    struct Case {
        const char* what;
        std::string bytes;
        V names;
    } cases[] = {
        {"count 0x7FFFFFFF", set(0, "FF FF FF 7F"), both},
        {"count 0x40000000", set(0, "00 00 00 40"), both},
        {"count -1", set(0, "FF FF FF FF"), both},
        {"count 1 of 2", set(0, "01 00 00 00"), both},
        {"count 3 of 2", set(0, "03 00 00 00"), both},
        {"first signature", set(4, "54 50 46 31"), onlyB},
        {"second class name", set(at("TStartupItem", firstEnd) + 11, "58"), onlyA},
        {"unknown property", set(at("Enabled") + 6, "72"), onlyB},  // "Enabler"
        {"boolean tag on the root", set(at("Root") + 4, "09"), onlyB},
        {"integer tag on a text", set(at("Name") + 4, "02"), onlyB},
        {"unknown tag", set(at("Root", firstEnd) + 4, "07"), onlyA},
        {"huge text length", set(at("Name") + 4, "0C"), onlyB},
        {"huge wide count", set(at("Name") + 4, "12"), onlyB},
        {"owned components", set(firstEnd - 1, "01"), onlyB},
        {"trailing bytes", sound + "xyz", both},
        {"three bytes", Hex("02 00 00"), V{}},
    };
    for (const Case& c : cases) {
        WriteBytes(path, c.bytes);
        TStartupList list;
        Prefill(list);
        TStartupLoadResult r = list.LoadFromFile(path);
        EXPECT_EQ(TStartupFileState::Damaged, r.State) << c.what;
        EXPECT_FALSE(r.Problem.empty()) << c.what;
        EXPECT_EQ(c.names, Names(list)) << c.what << ": " << r.Problem;
        EXPECT_EQ(c.bytes, ReadBytes(path + ".bak")) << c.what;
        DeleteFileA((path + ".bak").c_str());
    }
}

TEST_F(StartupFileTest, RecordsNestedInEachOthersTextsDoNotTakeForEver) {
    // Each record's name runs over all the records after it and the last byte breaks them all:
    // rereading every one from the start of the next would take time quadratic in the file.
    const int nested = 200000;
    const std::string head = RecordHead() + Short("Name") + "\x0C";
    const size_t step = head.size() + 4;
    std::string file = Le32(nested);
    file.reserve(4 + nested * step + 1);
    for (int i = 0; i < nested; ++i) file += head + Le32(static_cast<uint32_t>((nested - 1 - i) * step));
    file += "\x20";
    WriteBytes(path, file);
    TStartupList list;
    TStartupLoadResult r = list.LoadFromFile(path);
    EXPECT_EQ(TStartupFileState::Damaged, r.State);
    EXPECT_EQ(0, list.Count());
    EXPECT_EQ(path + ".bak", r.BackupPath);
}

TEST_F(StartupFileTest, BackupsNeverOverwriteOlderOnesAndGuardTheSave) {
    const std::string damaged = Hex("05 00 00 00") + "garbage";
    WriteBytes(path + ".bak", "older");
    WriteBytes(path, damaged);
    TStartupList list;
    TStartupLoadResult r = list.LoadFromFile(path);
    EXPECT_EQ(path + ".bak2", r.BackupPath);
    EXPECT_EQ("older", ReadBytes(path + ".bak"));
    EXPECT_EQ(damaged, ReadBytes(path + ".bak2"));
    list.Add(Entry("A", "a.exe", kTestLocation, false));
    ASSERT_EQ(DWORD(ERROR_SUCCESS), list.SaveToFile(path));
    EXPECT_EQ(list.SaveToBytes(), ReadBytes(path));

    // Every backup name taken: the damaged file is not copied, so the save must not replace it.
    for (int n = 3; n <= TStartupList::kMaxBackups; ++n) WriteBytes(path + ".bak" + std::to_string(n), "older");
    WriteBytes(path, damaged);
    TStartupList full;
    r = full.LoadFromFile(path);
    EXPECT_EQ(TStartupFileState::Damaged, r.State);
    EXPECT_TRUE(r.BackupPath.empty());
    EXPECT_NE(DWORD(ERROR_SUCCESS), full.SaveToFile(path));
    EXPECT_EQ(damaged, ReadBytes(path));
    EXPECT_EQ(DWORD(ERROR_SUCCESS), full.SaveToFile(folder + "other.dat"));  // other paths are not held

    DeleteFileA((path + ".bak5").c_str());
    EXPECT_EQ(DWORD(ERROR_SUCCESS), full.SaveToFile(path));
    EXPECT_EQ(damaged, ReadBytes(path + ".bak5"));
    EXPECT_EQ(Hex("00 00 00 00"), ReadBytes(path));
    EXPECT_EQ("older", ReadBytes(path + ".bak"));
}

TEST_F(StartupFileTest, AFileThatCannotBeReadIsNotReplaced) {
    WriteBytes(path, sound);
    TStartupList list;
    Prefill(list);
    {
        KernelHandle held = Lock(path);
        ASSERT_TRUE(held.valid());
        TStartupLoadResult r = list.LoadFromFile(path);
        EXPECT_EQ(TStartupFileState::Unreadable, r.State);
        EXPECT_EQ(1, list.Count());
        EXPECT_NE(DWORD(ERROR_SUCCESS), list.SaveToFile(path));
    }
    EXPECT_EQ(sound, ReadBytes(path));
    ASSERT_EQ(DWORD(ERROR_SUCCESS), list.SaveToFile(path));
    EXPECT_EQ(sound, ReadBytes(path + ".bak"));
    EXPECT_EQ(list.SaveToBytes(), ReadBytes(path));
}

TEST_F(StartupFileTest, AFailedSaveLeavesTheOldFileAndNoTemporaryFile) {
    TStartupList list;
    list.Add(Entry("A", "a.exe", kTestLocation, false));
    const std::string temp = ReplacementTempName(path);
    struct Case {
        const char* what;
        std::function<void()> arrange, undo;
    } cases[] = {
        {"target held open by another program", {}, {}},
        {"temporary name taken by a folder", [&] { CreateDirectoryA(temp.c_str(), nullptr); },
         [&] { RemoveDirectoryA(temp.c_str()); }},
        {"read-only target", [&] { SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY); },
         [&] { SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL); }},
    };
    for (TReplaceMethod method : {TReplaceMethod::MoveFileEx, TReplaceMethod::DeleteThenMove}) {
        for (const Case& c : cases) {
            WriteBytes(path, sound);
            KernelHandle held;
            if (c.arrange) c.arrange();
            else held = Lock(path);
            EXPECT_NE(DWORD(ERROR_SUCCESS), WriteFileReplacing(path, list.SaveToBytes(), method)) << c.what;
            held.reset();
            if (c.undo) c.undo();
            EXPECT_EQ(sound, ReadBytes(path)) << c.what;
            EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(temp.c_str())) << c.what;
        }
    }
    // Through the list: the same failure is a code, not an exception.
    WriteBytes(path, sound);
    KernelHandle held = Lock(path);
    EXPECT_NE(DWORD(ERROR_SUCCESS), list.SaveToFile(path));
    held.reset();
    EXPECT_EQ(sound, ReadBytes(path));
    EXPECT_NE(DWORD(ERROR_SUCCESS), list.SaveToFile(folder + "no such folder\\startup.dat"));
    // A folder nobody may create files in, not even root (the tests may run as root, for whom
    // Wine's read-only folders are writable).
    EXPECT_NE(DWORD(ERROR_SUCCESS), list.SaveToFile(WinePath("/proc/startup.dat")));
    EXPECT_FALSE(FileExists(WinePath("/proc/startup.dat.tmp")));
}

TEST_F(StartupFileTest, BothReplaceMethodsPutTheNewFileInPlace) {
    for (TReplaceMethod method : {TReplaceMethod::Auto, TReplaceMethod::MoveFileEx, TReplaceMethod::DeleteThenMove}) {
        DeleteFileA(path.c_str());
        EXPECT_EQ(DWORD(ERROR_SUCCESS), WriteFileReplacing(path, "first", method));
        EXPECT_EQ("first", ReadBytes(path));
        EXPECT_EQ(DWORD(ERROR_SUCCESS), WriteFileReplacing(path, "second", method));
        EXPECT_EQ("second", ReadBytes(path));
        EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(ReplacementTempName(path).c_str()));
    }
}
