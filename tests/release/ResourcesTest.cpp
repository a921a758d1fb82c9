// The shipped programs carry their icons, version information and manifest.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/core/Paths.h"
#include "tests/support/TestPaths.h"

namespace {

class ProgramResources : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        path_ = qv::test::ShippedProgramFolder() + GetParam() + ".exe";
        if (!qv::FileExists(path_)) GTEST_SKIP() << path_ << " is not built yet";
        module_ = LoadLibraryExA(path_.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(nullptr, module_) << GetLastError();
    }
    void TearDown() override {
        if (module_) FreeLibrary(module_);
    }
    std::string path_;
    HMODULE module_ = nullptr;
};

TEST_P(ProgramResources, IconsOneAndTwoInBothSizes) {
    for (int id : {1, 2}) {
        for (int size : {16, 32}) {
            HICON icon = static_cast<HICON>(LoadImageA(module_, MAKEINTRESOURCEA(id), IMAGE_ICON, size, size, 0));
            ASSERT_NE(nullptr, icon) << "icon " << id << " at " << size;
            ICONINFO info{};
            ASSERT_TRUE(GetIconInfo(icon, &info));
            BITMAP bm{};
            GetObject(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bm, &bm);
            EXPECT_EQ(size, bm.bmWidth) << "icon " << id;
            if (info.hbmColor) DeleteObject(info.hbmColor);
            DeleteObject(info.hbmMask);
            DestroyIcon(icon);
        }
    }
}

std::string VersionString(const std::vector<char>& block, const char* name) {
    char* text = nullptr;
    UINT len = 0;
    std::string sub = std::string("\\StringFileInfo\\040904E4\\") + name;
    if (!VerQueryValueA(block.data(), sub.c_str(), reinterpret_cast<void**>(&text), &len) || !text) return "<missing>";
    return std::string(text);
}

TEST_P(ProgramResources, VersionInformation) {
    DWORD handle = 0;
    DWORD size = GetFileVersionInfoSizeA(path_.c_str(), &handle);
    ASSERT_NE(0u, size);
    std::vector<char> block(size);
    ASSERT_TRUE(GetFileVersionInfoA(path_.c_str(), 0, size, block.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT len = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &len));
    char numbers[64];
    wsprintfA(numbers, "%u.%u.%u", HIWORD(fixed->dwFileVersionMS), LOWORD(fixed->dwFileVersionMS),
              HIWORD(fixed->dwFileVersionLS));
    EXPECT_EQ(QV_VERSION_TEXT, std::string(numbers));
    EXPECT_EQ(QV_VERSION_TEXT, VersionString(block, "FileVersion"));
    EXPECT_EQ(QV_PRODUCT_VERSION_TEXT, VersionString(block, "ProductVersion"));
    EXPECT_EQ("Quorvane", VersionString(block, "ProductName"));
    EXPECT_EQ(std::string(GetParam()) + ".exe", VersionString(block, "OriginalFilename"));
}

TEST_P(ProgramResources, ManifestAsksForCommonControlsSixWithoutElevation) {
    HRSRC res = FindResourceA(module_, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));  // RT_MANIFEST
    ASSERT_NE(nullptr, res);
    const char* data = static_cast<const char*>(LockResource(LoadResource(module_, res)));
    std::string manifest(data, SizeofResource(module_, res));
    EXPECT_NE(std::string::npos, manifest.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""));
    EXPECT_NE(std::string::npos, manifest.find("level=\"asInvoker\""));
}

INSTANTIATE_TEST_SUITE_P(Programs, ProgramResources, ::testing::Values("Quorvane", "Tidewell"),
                         [](const auto& info) { return std::string(info.param); });

}  // namespace
