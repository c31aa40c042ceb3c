// Replacing the storage file while another program holds it open for a moment.
#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <string>
#include <thread>

#include "platform/StoreError.h"
#include "win32/Win32Files.h"

namespace {

std::string TempFolder() {
    char dir[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, dir);
    std::string path = std::string(dir) + "velt-replace-" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(path.c_str(), nullptr);
    return path + "\\";
}

void Put(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

std::string Get(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

HANDLE OpenUnshared(const std::string& path) {
    return CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                       nullptr);
}

struct ReplaceTest : ::testing::Test {
    std::string dir = TempFolder();
    std::string storage = dir + "profiles.omx";
    std::string fresh = dir + "profiles.new";
    std::string backup = dir + "profiles.bak";
    velt::Win32Files files;

    void SetUp() override {
        Put(storage, "old");
        Put(fresh, "new");
        DeleteFileA(backup.c_str());
    }
    void TearDown() override {
        for (const auto& f : {storage, fresh, backup}) {
            DeleteFileA(f.c_str());
        }
        RemoveDirectoryA(dir.c_str());
    }
};

TEST_F(ReplaceTest, BriefHoldByAnotherProgramIsWaitedOut) {
    HANDLE held = OpenUnshared(storage);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    std::thread release([held] {
        Sleep(60);
        CloseHandle(held);
    });
    EXPECT_NO_THROW(files.Replace(storage, fresh, backup));
    release.join();
    EXPECT_EQ(Get(storage), "new");
    EXPECT_EQ(Get(backup), "old");
    EXPECT_EQ(GetFileAttributesA(fresh.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(ReplaceTest, LastingHoldIsReportedAndNothingMoves) {
    HANDLE held = OpenUnshared(storage);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_THROW(files.Replace(storage, fresh, backup), velt::StoreError);
    CloseHandle(held);
    EXPECT_EQ(Get(storage), "old");
    EXPECT_EQ(Get(fresh), "new");
}

} // namespace
