// The Wine test bed itself: a 32-bit program runs, has a display and a writable registry.
#include <gtest/gtest.h>
#include <windows.h>

TEST(WineTestBed, RunsAs32BitWithDisplayAndRegistry) {
    EXPECT_EQ(sizeof(void*), 4u);
    EXPECT_GT(GetSystemMetrics(SM_CXSCREEN), 0);
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\VeltarionTestBed", 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\VeltarionTestBed"), ERROR_SUCCESS);
}
