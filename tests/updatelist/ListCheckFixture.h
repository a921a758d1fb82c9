// The wizard in this process with its real update-list worker, pointed by the UpdateServer value
// at a server on 127.0.0.1; the installed versions and the session record are the real registry's.
#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "common/core/Paths.h"
#include "common/thread/Thread.h"
#include "common/ui/Application.h"
#include "tests/support/MachineKey.h"
#include "tests/support/MessagePump.h"
#include "tests/support/RegistrySnapshot.h"
#include "tidewell/UpdaterKeys.h"
#include "tidewell/updatelist/ConnectionThread.h"
#include "tidewell/updatelist/UpdateList.h"
#include "tidewell/wizard/MainUnit.h"

namespace qv::test {

// A list with the six header elements (header: extra or replacing markup) and the given entries.
inline std::string ListXml(const std::string& entries, const std::string& header = std::string(),
                           const std::string& declaration = "<?xml version=\"1.0\"?>") {
    std::string h = header.empty() ? "<name>Quorvane updates</name>\r\n<productname>Quorvane</productname>\r\n"
                                     "<productversion>2.2.0</productversion>\r\n<filecount>4</filecount>\r\n"
                                     "<terminate>Quorvane.exe</terminate>\r\n"
                                     "<terminatemsg>Quorvane will be closed.</terminatemsg>\r\n"
                                   : header;
    return declaration + "\r\n<updates>\r\n <component>\r\n" + h + entries + " </component>\r\n</updates>\r\n";
}

inline std::string Entry(const std::string& fileName, const std::string& version, const std::string& extra = std::string(),
                         const std::string& force = "0", const std::string& defaultDownload = "1",
                         const std::string& fileSize = "1024") {
    return "  <file><filename>" + fileName + "</filename><version>" + version + "</version><productname>" + fileName +
           " update</productname><filesize>" + fileSize + "</filesize><force>" + force +
           "</force><defaultdownload>" + defaultDownload + "</defaultdownload>" + extra + "</file>\r\n";
}

class ListCheckFixture : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ui::Application().Initialize();
        if (!IsMainThread()) InitMainThread();
    }
    void SetUp() override {
        DeleteKeyTree(HKEY_LOCAL_MACHINE, kVersionControlKeyPath);
        DeleteKeyTree(HKEY_LOCAL_MACHINE, kTidewellKeyPath);
    }
    void Install(const std::vector<std::pair<std::string, std::string>>& installed) {
        DeleteKeyTree(HKEY_LOCAL_MACHINE, kVersionControlKeyPath);
        for (const auto& v : installed) versions.Open().WriteString(v.first, v.second);
        versions.Close();
    }
    void PointAt(const std::string& server) {
        tidewell.Open().WriteString("UpdateServer", server);
        tidewell.Close();
    }
    // The wizard as the program start makes it; the list check starts with Next (or at once, -S).
    // `before` runs ahead of FormCreate (with -S the check starts inside it).
    std::unique_ptr<TMainForm> Start(const std::vector<std::string>& args = {},
                                     const std::function<void(TMainForm&)>& before = nullptr) {
        auto f = std::make_unique<TMainForm>();
        ui::Application().SetMainForm(f.get());
        if (before) before(*f);
        f->FormCreate(args);
        f->CreateSmallWindows();
        f->Show();
        return f;
    }
    // Pumps until the worker has left page 2 (or, with -S, closed or switched) and freed itself.
    static bool CheckEnded(TMainForm& f, int searchPage = 2) {
        return PumpMessagesUntil([&] {
            return TConnectionThread::Alive() == 0 && (f.CurrentPage != searchPage || !f.Visible());
        });
    }
    static std::string ListFile() { return ProgramFolder() + kListFileName; }

    RegistrySnapshot keep{HKEY_LOCAL_MACHINE, "Software\\Zephlor"};
    MachineKey tidewell{kTidewellKeyPath};
    MachineKey versions{kVersionControlKeyPath};
};

}  // namespace qv::test
