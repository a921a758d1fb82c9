// A key below HKEY_LOCAL_MACHINE that a test plants values in and reads back; opened for
// writing (and created) on each use, so the code under test always finds it as stored.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "common/core/Registry.h"

namespace qv::test {

class MachineKey {
public:
    explicit MachineKey(std::string path) : path_(std::move(path)) { reg_.SetRootKey(HKEY_LOCAL_MACHINE); }

    TRegistry& Open() {
        EXPECT_EQ(ERROR_SUCCESS, reg_.OpenKey(path_, true)) << path_;
        return reg_;
    }
    void Close() { reg_.CloseKey(); }
    // "<missing>" or -1 when the value is not there or of another type.
    std::string Text(const char* name) {
        std::string v = "<missing>";
        Open().ReadString(name, v);
        return v;
    }
    int32_t Number(const char* name) {
        int32_t v = -1;
        Open().ReadInteger(name, v);
        return v;
    }

private:
    std::string path_;
    TRegistry reg_;
};

}  // namespace qv::test
