// The driver-OS contract against the real Win32 calls (run under Wine).
#include "DriverOsContract.h"

#include "win32/Win32DriverFiles.h"
#include "win32/Win32DriverOs.h"

#include <windows.h>

namespace velt::contract {

std::unique_ptr<IDriverOs> MakeDriverOs() {
    return std::make_unique<Win32DriverOs>();
}

std::unique_ptr<IDriverFiles> MakeDriverFiles(const std::vector<std::uint8_t>& bytes,
                                              std::string& path) {
    char folder[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, folder);
    path = std::string(folder) + "velt-contract.sys";
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    EXPECT_TRUE(WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
    CloseHandle(file);
    return std::make_unique<Win32DriverFiles>();
}

} // namespace velt::contract
