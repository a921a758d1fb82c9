#include "quorvane/processes/ProcessClass.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <set>
#include <sstream>
#include <vector>

#include "common/core/Registry.h"
#include "common/core/Text.h"
#include "common/core/ToolHelp.h"
#include "tests/processes/ProbeProcess.h"
#include "tests/support/RegistrySnapshot.h"
#include "tests/support/TestPaths.h"

using namespace qv;

namespace {
const int kMB = 1048576;
const char kProbeName[] = "qv_procprobe.exe";
const char kProbeDefaults[] = "Software\\Wine\\AppDefaults\\qv_procprobe.exe";

TProcessItem* Find(const TProcessList& list, DWORD pid) {
    for (int i = 0; i < list.Count(); ++i)
        if (list.Items(i)->ProcessID() == pid) return list.Items(i);
    return nullptr;
}

std::set<DWORD> ListedIds(const std::string& probeOutput) {
    std::set<DWORD> ids;
    std::istringstream in(probeOutput);
    std::string line;
    while (std::getline(in, line))
        if (!line.empty()) ids.insert(std::strtoul(line.c_str(), nullptr, 10));
    return ids;
}

DWORD PriorityClassOf(HANDLE process) { return GetPriorityClass(process); }

// The 9x figure of a process straight from the snapshot: every module and every heap block.
uint64_t Win9xFigureFromSnapshot(DWORD pid) {
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE | TH32CS_SNAPHEAPLIST, pid);
    if (snap == INVALID_HANDLE_VALUE) return 0;
    uint64_t total = 0;
    MODULEENTRY32 m{};
    m.dwSize = sizeof m;
    for (BOOL ok = Module32First(snap, &m); ok; ok = Module32Next(snap, &m)) total += m.modBaseSize;
    HEAPLIST32 h{};
    h.dwSize = sizeof h;
    for (BOOL ok = Heap32ListFirst(snap, &h); ok; ok = Heap32ListNext(snap, &h)) {
        HEAPENTRY32 b{};
        b.dwSize = sizeof b;
        for (BOOL more = Heap32First(&b, pid, h.th32HeapID); more; more = Heap32Next(&b)) total += b.dwBlockSize;
    }
    CloseHandle(snap);
    return total;
}

}  // namespace

TEST(ProcessList, StartedProgramIsListedWithItsDetails) {
    test::ProbeProcess probe = test::ProbeProcess::Sleeper(3, 8);
    ASSERT_NE(0u, probe.Id());
    TProcessList list(nullptr, nullptr);
    list.SetOSVersion(wvWinXP);
    list.Refresh();

    TProcessItem* item = Find(list, probe.Id());
    ASSERT_NE(nullptr, item);
    EXPECT_EQ(kProbeName, item->ProcessName());
    EXPECT_TRUE(SameTextAscii(test::ProbePath(), item->Path())) << item->Path();
    EXPECT_EQ(3, item->ThreadCount());
    EXPECT_EQ(NORMAL_PRIORITY_CLASS, static_cast<DWORD>(item->Priority()));
    EXPECT_GE(item->MemoryUsage(), 8 * kMB);  // the working set holds the touched heap
    EXPECT_TRUE(item->Icon() && test::IsLiveIcon(item->Icon()));
    EXPECT_EQ(-1, item->ListIndex);
    EXPECT_EQ(&list, item->ProcessList());
    EXPECT_EQ(nullptr, Find(list, GetCurrentProcessId()));
    EXPECT_THROW(list.Items(list.Count()), std::out_of_range);
    EXPECT_THROW(list.Items(-1), std::out_of_range);
}

// Without the module lookup (9x family, unrecognised system) the snapshot's text is the path.
TEST(ProcessList, WithoutModuleLookupThePathIsTheSnapshotText) {
    test::ProbeProcess probe = test::ProbeProcess::Sleeper(1);
    ASSERT_NE(0u, probe.Id());
    for (TWindowsVersion v : {wvUnknown, wvWin98, wvWinME}) {
        TProcessList list(nullptr, nullptr);
        list.SetOSVersion(v);
        list.Refresh();
        TProcessItem* item = Find(list, probe.Id());
        ASSERT_NE(nullptr, item) << int(v);
        EXPECT_EQ(kProbeName, item->ProcessName()) << int(v);
        EXPECT_EQ(kProbeName, item->Path()) << int(v);
    }
}

// The lister runs from the probe's file spelt in lower case while a sleeper runs from it in
// upper case: both are "this program" and neither is listed; a copy in another folder is.
TEST(ProcessList, OwnProgramIsNeverListedWhateverTheCaseOfItsPath) {
    {
        TProcessList list(nullptr, nullptr);
        list.SetOSVersion(wvWinXP);
        list.Refresh();
        EXPECT_GT(list.Count(), 0);
        EXPECT_EQ(nullptr, Find(list, GetCurrentProcessId()));
    }
    std::string probe = test::ProbePath();
    std::string folder = test::MakeTempFolder("copy");
    std::string copy = folder + kProbeName;
    ASSERT_TRUE(CopyFileA(probe.c_str(), copy.c_str(), FALSE));
    {
        test::ProbeProcess upper = test::ProbeProcess::Sleeper(1, 0, false, UpperCaseAscii(probe));
        test::ProbeProcess other = test::ProbeProcess::Sleeper(1, 0, false, copy);
        ASSERT_NE(0u, upper.Id());
        ASSERT_NE(0u, other.Id());

        std::string lower = probe;
        for (char& c : lower)
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        std::string out = test::RunProbe("list 11", lower);
        std::set<DWORD> listed = ListedIds(out);
        EXPECT_TRUE(listed.count(GetCurrentProcessId())) << out;
        EXPECT_TRUE(listed.count(other.Id())) << out;
        EXPECT_FALSE(listed.count(upper.Id())) << out;
        EXPECT_EQ(out.npos, UpperCaseAscii(out).find(UpperCaseAscii(probe))) << out;
    }
    test::RemoveFolderTree(folder);
}

// A process that ends between the snapshot and the detail queries: nothing can be read of it.
TEST(ProcessList, ProcessEndedBeforeTheDetailsGetsZeros) {
    test::ProbeProcess probe = test::ProbeProcess::Sleeper(1);
    DWORD pid = probe.Id();
    ASSERT_NE(0u, pid);
    probe.End();
    for (TWindowsVersion v : {wvWinXP, wvWin98SE, wvUnknown}) {
        TProcessList list(nullptr, nullptr);
        list.SetOSVersion(v);
        EXPECT_EQ(0, list.GetProcessPriority(pid)) << int(v);
        EXPECT_EQ(0, list.GetProcessMemory(pid)) << int(v);
    }
    TProcessList list(nullptr, nullptr);
    TProcessItem item(&list, pid, 1, list.GetProcessPriority(pid), list.GetProcessMemory(pid), kProbeName, kProbeName);
    EXPECT_EQ(0, item.Priority());
    EXPECT_EQ(0, item.MemoryUsage());
    EXPECT_EQ(kProbeName, item.Path());
}

TEST(ProcessList, SetPriorityChangesTheClassOnlyWhenItDiffersAndTakes) {
    test::ProbeProcess probe = test::ProbeProcess::Sleeper(1);
    ASSERT_NE(0u, probe.Id());
    TProcessList list(nullptr, nullptr);
    const struct {
        const char* what;
        int32_t asked;
        bool fires;
    } cases[] = {
        {"a new class", IDLE_PRIORITY_CLASS, true},
        {"another new class", BELOW_NORMAL_PRIORITY_CLASS, true},
        {"no class at all", 0x12345, false},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(SetPriorityClass(probe.Handle(), NORMAL_PRIORITY_CLASS));
        TProcessItem item(&list, probe.Id(), 1, NORMAL_PRIORITY_CLASS, 0, kProbeName, kProbeName);
        int fired = 0;
        item.OnPriorityChange = [&](TProcessItem& changed) {
            EXPECT_EQ(&item, &changed);
            ++fired;
        };
        item.SetPriority(c.asked);
        EXPECT_EQ(c.fires ? 1 : 0, fired) << c.what;
        DWORD expected = c.fires ? static_cast<DWORD>(c.asked) : NORMAL_PRIORITY_CLASS;
        EXPECT_EQ(expected, static_cast<DWORD>(item.Priority())) << c.what;
        EXPECT_EQ(expected, PriorityClassOf(probe.Handle())) << c.what;
    }

    // The class the item already has: the process is not touched, even when it has really
    // changed since (the item only knows what the last refresh saw).
    TProcessItem item(&list, probe.Id(), 1, NORMAL_PRIORITY_CLASS, 0, kProbeName, kProbeName);
    int fired = 0;
    item.OnPriorityChange = [&](TProcessItem&) { ++fired; };
    ASSERT_TRUE(SetPriorityClass(probe.Handle(), HIGH_PRIORITY_CLASS));
    item.SetPriority(NORMAL_PRIORITY_CLASS);
    EXPECT_EQ(0, fired);
    EXPECT_EQ(static_cast<DWORD>(HIGH_PRIORITY_CLASS), PriorityClassOf(probe.Handle()));

    // No handler: skipped. A process that has gone: nothing changes.
    item.OnPriorityChange = nullptr;
    item.SetPriority(IDLE_PRIORITY_CLASS);
    EXPECT_EQ(static_cast<DWORD>(IDLE_PRIORITY_CLASS), PriorityClassOf(probe.Handle()));
    probe.End();
    item.OnPriorityChange = [&](TProcessItem&) { ++fired; };
    item.SetPriority(HIGH_PRIORITY_CLASS);
    EXPECT_EQ(0, fired);
    EXPECT_EQ(IDLE_PRIORITY_CLASS, item.Priority());
}

TEST(ProcessList, TerminateEndsARunningProgram) {
    test::ProbeProcess probe = test::ProbeProcess::Sleeper(2);
    ASSERT_NE(0u, probe.Id());
    TProcessList list(nullptr, nullptr);
    list.SetOSVersion(wvWinXP);
    TProcessItem item(&list, probe.Id(), 2, NORMAL_PRIORITY_CLASS, 0, kProbeName, kProbeName);
    EXPECT_TRUE(item.Terminate());
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(probe.Handle(), 10000));
    DWORD code = 99;
    EXPECT_TRUE(GetExitCodeProcess(probe.Handle(), &code));
    EXPECT_EQ(0u, code);

    probe.End();  // now gone for good: nothing to open
    EXPECT_FALSE(item.Terminate());
}

// A process nobody may open: on the NT family the debug privilege is tried (and put back
// afterwards), on the 9x family not; Wine grants no bypass, so both fail and it lives on.
TEST(ProcessList, TerminateOfAProtectedProcessFailsAndLeavesThePrivilegeAsItWas) {
    test::ProbeProcess probe = test::ProbeProcess::Sleeper(1, 0, true);
    ASSERT_NE(0u, probe.Id());
    ASSERT_EQ(nullptr, OpenProcess(PROCESS_TERMINATE, FALSE, probe.Id()));
    ASSERT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), GetLastError());

    HANDLE token = nullptr;
    ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token));
    auto privileges = [token] {
        DWORD size = 0;
        GetTokenInformation(token, TokenPrivileges, nullptr, 0, &size);
        std::vector<BYTE> buf(size);
        GetTokenInformation(token, TokenPrivileges, buf.data(), size, &size);
        return buf;
    };
    std::vector<BYTE> before = privileges();
    for (TWindowsVersion v : {wvWinXP, wvWin2003, wvWin98SE, wvUnknown}) {
        TProcessList list(nullptr, nullptr);
        list.SetOSVersion(v);
        TProcessItem item(&list, probe.Id(), 1, NORMAL_PRIORITY_CLASS, 0, kProbeName, kProbeName);
        EXPECT_FALSE(item.Terminate()) << int(v);
        EXPECT_TRUE(probe.Running()) << int(v);
        EXPECT_EQ(before, privileges()) << int(v);
    }
    CloseHandle(token);
}

TEST(ProcessList, RefreshKeepsOnlyTheFirstImage) {
    test::ProbeProcess probe = test::ProbeProcess::Sleeper(1);
    HIMAGELIST images = ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 4, 4);
    ASSERT_NE(nullptr, images);
    HICON generic = LoadIcon(nullptr, IDI_APPLICATION);
    ASSERT_EQ(0, ImageList_AddIcon(images, generic));
    {
        TProcessList list(images, generic);
        list.SetOSVersion(wvWinXP);
        EXPECT_NE(nullptr, list.DefaultIcon());
        EXPECT_NE(generic, list.DefaultIcon());  // a copy of its own
        EXPECT_EQ(images, list.Images());
        for (int round = 0; round < 3; ++round) {
            list.Refresh();
            EXPECT_EQ(1, ImageList_GetImageCount(images)) << round;
            // What the page does: one image per item with an icon, after the first.
            int added = 0;
            for (int i = 0; i < list.Count(); ++i) {
                if (HICON icon = list.Items(i)->Icon()) {
                    EXPECT_EQ(1 + added++, ImageList_AddIcon(images, icon));
                }
            }
            EXPECT_GT(added, 0);
        }
        EXPECT_GT(ImageList_GetImageCount(images), 1);  // the list leaves them until the next refresh
    }
    EXPECT_GT(ImageList_GetImageCount(images), 1);      // nor does destroying the list touch them
    EXPECT_TRUE(ImageList_Destroy(images));
}

// Every refresh frees the icons of the items it replaces, and destroying the list frees the
// last ones and its copy of the generic icon.
TEST(ProcessList, RefreshesFreeTheIconsTheyReplace) {
    test::ProbeProcess probe = test::ProbeProcess::Sleeper(1);
    ASSERT_NE(0u, probe.Id());
    std::vector<HICON> previous;
    HICON defaultIcon = nullptr;
    {
        TProcessList list(nullptr, LoadIcon(nullptr, IDI_APPLICATION));
        list.SetOSVersion(wvWinXP);
        defaultIcon = list.DefaultIcon();
        for (int round = 0; round < 12; ++round) {
            list.Refresh();
            std::vector<HICON> current;
            for (int i = 0; i < list.Count(); ++i)
                if (HICON icon = list.Items(i)->Icon()) current.push_back(icon);
            ASSERT_FALSE(current.empty());
            for (HICON icon : current) EXPECT_TRUE(test::IsLiveIcon(icon)) << round;
            for (HICON icon : previous) EXPECT_FALSE(test::IsLiveIcon(icon)) << round;
            previous = current;
        }
        EXPECT_TRUE(test::IsLiveIcon(defaultIcon));
    }
    for (HICON icon : previous) EXPECT_FALSE(test::IsLiveIcon(icon));
    EXPECT_FALSE(test::IsLiveIcon(defaultIcon));
}

TEST(ProcessList, PathSetterTakesTheNewIconAndTellsOnce) {
    TProcessList list(nullptr, nullptr);
    std::string probe = test::ProbePath();
    TProcessItem item(&list, 0, 1, 0, 0, kProbeName, "");
    EXPECT_EQ(nullptr, item.Icon());  // empty path: no icon asked for
    int fired = 0;
    item.OnPathChange = [&](TProcessItem&) { ++fired; };
    item.SetPath(probe);
    EXPECT_EQ(1, fired);
    EXPECT_EQ(probe, item.Path());
    HICON first = item.Icon();
    ASSERT_TRUE(first && test::IsLiveIcon(first));
    item.SetPath(probe);  // the same path: nothing at all
    EXPECT_EQ(1, fired);
    EXPECT_EQ(first, item.Icon());

    // Too long for any file: not looked up (the shell would overrun its buffers), the old icon
    // kept, the path stored whole and the change told.
    for (size_t length : {300u, 3000u}) {
        std::string longPath = "C:\\" + std::string(length, 'x') + ".exe";
        item.SetPath(longPath);
        EXPECT_EQ(longPath, item.Path());
        EXPECT_EQ(first, item.Icon());
    }
    EXPECT_EQ(3, fired);
    item.OnPathChange = nullptr;
    item.SetPath("C:\\windows\\system32\\notepad.exe");
    EXPECT_NE(first, item.Icon());
    EXPECT_FALSE(test::IsLiveIcon(first));  // replaced and freed
}

// The 9x measure run on Wine set to Windows 98 for the probe (as winecfg does per program):
// the probe reports its version and the figure of a sleeper, which must be every module and
// heap block of the sleeper counted once. Wine walks no heaps, so its figure is the modules'.
TEST(ProcessList, MemoryOnTheNineXFamilyIsModulesAndHeapBlocks) {
    test::RegistrySnapshot keep(HKEY_CURRENT_USER, kProbeDefaults);
    test::ProbeProcess sleeper = test::ProbeProcess::Sleeper(1, 4);
    ASSERT_NE(0u, sleeper.Id());
    TRegistry reg;
    reg.SetRootKey(HKEY_CURRENT_USER);
    ASSERT_EQ(ERROR_SUCCESS, reg.OpenKey(kProbeDefaults, true));
    ASSERT_EQ(ERROR_SUCCESS, reg.WriteString("Version", "win98"));

    std::istringstream out(test::RunProbe("memory " + UIntToStr(sleeper.Id())));
    int version = -1;
    long figure = -1;
    out >> version >> figure;
    EXPECT_EQ(int(wvWin98SE), version);
    uint64_t expected = Win9xFigureFromSnapshot(sleeper.Id());
    EXPECT_GT(expected, 0u);
    EXPECT_EQ(static_cast<long>(expected), figure);
}

// The NT measure: the working set from PSAPI, and 0 when the library cannot be loaded (Wine's
// per-program "disabled" override stands for a system without it).
TEST(ProcessList, MemoryOnTheNTFamilyIsTheWorkingSetOrZeroWithoutPsapi) {
    test::RegistrySnapshot keep(HKEY_CURRENT_USER, kProbeDefaults);
    test::ProbeProcess sleeper = test::ProbeProcess::Sleeper(1, 16);
    ASSERT_NE(0u, sleeper.Id());
    TProcessList list(nullptr, nullptr);
    list.SetOSVersion(wvWinXP);
    EXPECT_GE(list.GetProcessMemory(sleeper.Id()), 16 * kMB);
    list.SetOSVersion(wvUnknown);
    EXPECT_GE(list.GetProcessMemory(sleeper.Id()), 16 * kMB);

    TRegistry reg;
    reg.SetRootKey(HKEY_CURRENT_USER);
    ASSERT_EQ(ERROR_SUCCESS, reg.OpenKey(std::string(kProbeDefaults) + "\\DllOverrides", true));
    ASSERT_EQ(ERROR_SUCCESS, reg.WriteString("psapi", ""));
    std::istringstream out(test::RunProbe("memory " + UIntToStr(sleeper.Id())));
    int version = -1;
    long figure = -1;
    out >> version >> figure;
    EXPECT_FALSE(IsWin9xFamily(static_cast<TWindowsVersion>(version)));
    EXPECT_EQ(0, figure);
}
