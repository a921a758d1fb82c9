// The installation of a finished download, on the main thread between two downloads.
#include <windows.h>
#include <shellapi.h>

#include "common/core/Paths.h"
#include "tidewell/download/DownloadEngine.h"
#include "tidewell/download/DownloadPaths.h"
#include "tidewell/download/DownloadProgress.h"
#include "tidewell/updatelist/ErrorCodes.h"

namespace qv {

namespace {

constexpr DWORD kBlockSize = 1024;
constexpr DWORD kBlocksBetweenMessages = 100;
// The previous file of a destination while its new contents are written.
const char kPreviousPrefix[] = "~b~";

bool CopyBlock(HANDLE from, HANDLE to, DWORD size) {
    char buffer[kBlockSize];
    DWORD read = 0, written = 0;
    return ReadFile(from, buffer, size, &read, nullptr) && read == size && WriteFile(to, buffer, size, &written, nullptr) &&
           written == size;
}

// Moves an existing destination out of the way; copies it when it cannot be moved (a file the
// system lets us overwrite but not rename). Empty when there was nothing to keep.
std::string KeepPrevious(const std::string& dest) {
    if (!FileExists(dest)) return {};
    std::string aside = PrefixFileName(dest, kPreviousPrefix);
    SetFileAttributesA(aside.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(aside.c_str());
    if (MoveFileA(dest.c_str(), aside.c_str())) return aside;
    if (CopyFileA(dest.c_str(), aside.c_str(), FALSE)) return aside;
    return {};
}

}  // namespace

void TDownloadEngine::RestorePrevious(const std::string& dest, const std::string& aside) {
    DeleteFileA(dest.c_str());
    if (aside.empty()) return;
    MoveFileA(aside.c_str(), dest.c_str());
}

void TDownloadEngine::PrepareSelfReplace() {
    std::string aside = PrefixFileName(SelfPath, "~t~");
    RestartParameter = "\"" + aside + "\"";
    DeleteFileA(aside.c_str());  // left over from an earlier replacement whose restart never cleaned up
    MoveFileA(SelfPath.c_str(), aside.c_str());
}

void TDownloadEngine::InstallDownloadedFile() {
    const TFile& f = CurrentFile();
    if (!DownloadStream || SetFilePointer(DownloadStream.get(), 0, nullptr, FILE_CURRENT) == 0) return;
    const DWORD size = GetFileSize(DownloadStream.get(), nullptr);

    const std::string dest = DestinationPath(f.DestFile, ProgramFolder);
    // The previous file stays aside until the new one is complete, and comes back otherwise.
    std::string aside;
    if (dest == SelfPath) {
        PrepareSelfReplace();
        aside = PrefixFileName(SelfPath, "~t~");
        if (FileExists(dest)) aside = KeepPrevious(dest);  // the running file could not be moved
    } else {
        aside = KeepPrevious(dest);
    }
    auto fail = [&](TErtd code, KernelHandle& out) {
        out.reset();
        DownloadStream.reset();  // so that the clean-up at the end can delete it
        RestorePrevious(dest, aside);
        if (dest == SelfPath) RestartParameter.clear();  // the old updater is back under its name
        host_.ReportError(ErtdMessage(code));
    };

    SetFilePointer(DownloadStream.get(), 0, nullptr, FILE_BEGIN);
    CreateDirectories(ExtractFilePath(dest));
    KernelHandle out(CreateFileA(dest.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!out) return fail(TErtd::E1153, out);

    ProgressVerb = kInstallingVerb;
    const DWORD blocks = size / kBlockSize;
    for (DWORD i = 1; i <= blocks; ++i) {
        if (!CopyBlock(DownloadStream.get(), out.get(), kBlockSize)) return fail(TErtd::E1171, out);
        const double written = static_cast<double>(i) * kBlockSize;
        BytesDone = static_cast<int64_t>(written);
        FilePercent = ProgressPercent(written, size);
        TotalPercent = ProgressPercent(size + static_cast<double>(TotalDone) + written, TotalSize);
        ShowDownloadProgress();
        if (i % kBlocksBetweenMessages == 0) host_.ProcessMessages();
    }
    if (size % kBlockSize != 0 && !CopyBlock(DownloadStream.get(), out.get(), size % kBlockSize))
        return fail(TErtd::E1181, out);

    TotalDone += 2 * size;
    TotalPercent = ProgressPercent(TotalDone, TotalSize);
    if (!f.FinishedMsg.empty()) host_.ShowInformation(f.FinishedMsg);
    out.reset();
    if (!aside.empty() && dest != SelfPath && !DeleteFileA(aside.c_str())) cleanupFiles_.push_back(aside);

    // The temporary file is closed first, so that a restart's clean-up can already delete it.
    DownloadStream.reset();
    RunFinishedActions(f.Finished);
    RecordInstalledVersion(f.FileName, f.Version);

    if (!ProgramToRestart.empty()) {
        ShellExecuteA(host_.OwnerWindow(), "open", ProgramToRestart.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
        ProgramToRestart.clear();
    }
    host_.SetFileBar(100);
    StartNextDownload();
}

}  // namespace qv
