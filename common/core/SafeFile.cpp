#include "common/core/SafeFile.h"

#include "common/core/Handles.h"

namespace qv {

DWORD ReadFileBounded(const std::string& path, size_t maxBytes, std::string& data, bool& truncated) {
    data.clear();
    truncated = false;
    KernelHandle f(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!f) return ::GetLastError();
    DWORD high = 0;
    DWORD low = ::GetFileSize(f.get(), &high);
    if (low == INVALID_FILE_SIZE) {
        DWORD err = ::GetLastError();
        if (err != NO_ERROR) return err;
    }
    unsigned long long size = (static_cast<unsigned long long>(high) << 32) | low;
    size_t want = size > maxBytes ? maxBytes : static_cast<size_t>(size);
    truncated = size > maxBytes;
    data.resize(want);
    size_t got = 0;
    while (got < want) {
        DWORD n = 0;
        if (!::ReadFile(f.get(), &data[got], static_cast<DWORD>(want - got), &n, nullptr)) {
            DWORD err = ::GetLastError();
            data.clear();
            return err;
        }
        if (n == 0) break;  // shrank while we read
        got += n;
    }
    data.resize(got);
    return ERROR_SUCCESS;
}

std::string ReplacementTempName(const std::string& path) { return path + ".tmp"; }

static bool IsNineX() { return (::GetVersion() & 0x80000000u) != 0; }

static DWORD WriteAndFlush(const std::string& path, const std::string& data) {
    KernelHandle f(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                 nullptr));
    if (!f) return ::GetLastError();
    size_t done = 0;
    while (done < data.size()) {
        DWORD n = 0;
        if (!::WriteFile(f.get(), data.data() + done, static_cast<DWORD>(data.size() - done), &n, nullptr))
            return ::GetLastError();
        if (n == 0) return ERROR_WRITE_FAULT;
        done += n;
    }
    if (!::FlushFileBuffers(f.get())) return ::GetLastError();
    HANDLE h = f.release();
    if (!::CloseHandle(h)) return ::GetLastError();
    return ERROR_SUCCESS;
}

static DWORD DeleteThenMove(const std::string& temp, const std::string& path, bool& oldGone) {
    if (!::DeleteFileA(path.c_str())) {
        DWORD err = ::GetLastError();
        if (err != ERROR_FILE_NOT_FOUND) return err;
    }
    oldGone = true;
    if (!::MoveFileA(temp.c_str(), path.c_str())) return ::GetLastError();
    return ERROR_SUCCESS;
}

DWORD WriteFileReplacing(const std::string& path, const std::string& data, TReplaceMethod method) noexcept {
    try {
        // MoveFileEx refuses to replace a read-only file on Windows; the 9x way and Wine would
        // not, so a read-only target is refused here for all of them.
        DWORD attributes = ::GetFileAttributesA(path.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
            return ERROR_ACCESS_DENIED;
        const std::string temp = ReplacementTempName(path);
        DWORD err = WriteAndFlush(temp, data);
        bool oldGone = false;
        if (err == ERROR_SUCCESS) {
            if (method == TReplaceMethod::Auto)
                method = IsNineX() ? TReplaceMethod::DeleteThenMove : TReplaceMethod::MoveFileEx;
            if (method == TReplaceMethod::MoveFileEx) {
                if (!::MoveFileExA(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
                    err = ::GetLastError();
                    if (err == ERROR_CALL_NOT_IMPLEMENTED) err = DeleteThenMove(temp, path, oldGone);
                }
            } else {
                err = DeleteThenMove(temp, path, oldGone);
            }
        }
        if (err != ERROR_SUCCESS && !oldGone) ::DeleteFileA(temp.c_str());
        return err;
    } catch (...) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
}

}  // namespace qv
