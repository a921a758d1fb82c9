// The model behind the Process page: one item per running process, rebuilt on every Refresh.
// No window code here; the page owns the image list and keeps from each row a pointer to its
// item, which Refresh frees.
#pragma once
#include <windows.h>
#include <commctrl.h>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "common/core/Handles.h"
#include "quorvane/processes/WindowsVersion.h"

namespace qv {

class TProcessList;
class TProcessItem;

// An unassigned (empty) event is skipped.
using TProcessItemEvent = std::function<void(TProcessItem&)>;

class TProcessItem {
public:
    // Stores the values, then sets the path through SetPath, which extracts the icon.
    TProcessItem(TProcessList* list, DWORD processID, int32_t threadCount, int32_t priority,
                 int32_t memoryUsage, std::string name, const std::string& path);
    TProcessItem(const TProcessItem&) = delete;
    TProcessItem& operator=(const TProcessItem&) = delete;

    HICON Icon() const { return icon_.get(); }
    int32_t MemoryUsage() const { return memoryUsage_; }
    DWORD ProcessID() const { return processID_; }
    int32_t ThreadCount() const { return threadCount_; }
    const std::string& ProcessName() const { return processName_; }
    const std::string& Path() const { return path_; }
    // A new path takes the icon the shell associates with it (the old one stays when there is
    // none, and a path of MAX_PATH characters or more is not looked up) and fires OnPathChange;
    // the same path does nothing.
    void SetPath(const std::string& path);
    int32_t Priority() const { return priority_; }
    TProcessList* ProcessList() const { return processList_; }

    // Changes the process's priority class; fires OnPriorityChange when it took. A class equal
    // to Priority, a process that cannot be opened and a refusal change nothing.
    void SetPriority(int32_t priorityClass);
    // Ends the process with exit code 0; false when it could not be ended.
    bool Terminate();

private:
    void TakeAssociatedIcon();

    IconHandle icon_;
    int32_t memoryUsage_;
    DWORD processID_;
    int32_t threadCount_;
    std::string processName_;
    std::string path_;
    int32_t priority_;

public:
    TProcessItemEvent OnPathChange;
    int32_t ListIndex = -1;  // the page's row; -1 until the page sets it

private:
    TProcessList* processList_;

public:
    TProcessItemEvent OnMemoryChange;  // the page subscribes; nothing here fires it
    TProcessItemEvent OnPriorityChange;
    TProcessItemEvent OnThreadsChange;  // the page subscribes; nothing here fires it
};

class TProcessList {
public:
    // images: the page's small-image list (not owned, may be null); genericIcon is copied.
    TProcessList(HIMAGELIST images, HICON genericIcon);
    ~TProcessList();
    TProcessList(const TProcessList&) = delete;
    TProcessList& operator=(const TProcessList&) = delete;

    HIMAGELIST Images() const { return images_; }
    HICON DefaultIcon() const { return defaultIcon_.get(); }
    TWindowsVersion OSVersion() const { return osVersion_; }
    void SetOSVersion(TWindowsVersion v) { osVersion_ = v; }

    // Trims Images to its first image, frees every item and lists the running processes in
    // snapshot order, without this program's own. Without ToolHelp the list stays empty.
    void Refresh();
    int Count() const { return static_cast<int>(items_.size()); }
    // 0-based; std::out_of_range outside 0..Count-1.
    TProcessItem* Items(int index) const;

    // The process's priority class; 0 when it cannot be opened.
    int32_t GetProcessPriority(DWORD processID) const;
    // Bytes in use: modules and heap blocks on the 9x family, the working set otherwise;
    // 0 when the process cannot be read.
    int32_t GetProcessMemory(DWORD processID) const;

private:
    int32_t Win9xProcessMemory(DWORD processID) const;
    int32_t NTProcessMemory(DWORD processID) const;

    std::vector<std::unique_ptr<TProcessItem>> items_;
    HIMAGELIST images_;
    IconHandle defaultIcon_;
    TWindowsVersion osVersion_ = wvUnknown;

    std::string ownPathUpper_;
    mutable LoadedModule psapi_;
    mutable bool psapiTried_ = false;
};

}  // namespace qv
