#include "driver/ServiceImage.h"

#include <gtest/gtest.h>

#include <vector>

namespace velt {
namespace {

// Each form of a service's image path and the file the kernel loads for it; empty where the
// path names no one file that Win32 reads as the kernel does.
TEST(ServiceImage, MapsEachFormToTheFileTheKernelLoads) {
    const char* const system = "C:\\WINDOWS\\system32";
    const std::vector<std::pair<const char*, const char*>> cases = {
        {"C:\\Program Files\\Veltarion\\OMXDRV.SYS", "C:\\Program Files\\Veltarion\\OMXDRV.SYS"},
        {"\\??\\C:\\Tools\\OMXDRV.SYS", "C:\\Tools\\OMXDRV.SYS"},
        {"\\??\\c:\\Tools\\OMXDRV.SYS", "c:\\Tools\\OMXDRV.SYS"},
        {"\\SystemRoot\\System32\\drivers\\OMXDRV.SYS",
         "C:\\WINDOWS\\System32\\drivers\\OMXDRV.SYS"},
        {"\\systemroot\\system32\\drivers\\OMXDRV.SYS",
         "C:\\WINDOWS\\system32\\drivers\\OMXDRV.SYS"},
        // Relative: under the Windows folder, not the system folder.
        {"System32\\DRIVERS\\OMXDRV.SYS", "C:\\WINDOWS\\System32\\DRIVERS\\OMXDRV.SYS"},
        {"\"C:\\Tools\\OMXDRV.SYS\"", "C:\\Tools\\OMXDRV.SYS"},
        {"\"\\??\\C:\\Tools\\OMXDRV.SYS\"", "C:\\Tools\\OMXDRV.SYS"},
        // What Win32 and the kernel would read as different files, or no file at all.
        {"\\??\\C:\\Tools.\\OMXDRV.SYS", ""},
        {"\\??\\C:\\Tools \\OMXDRV.SYS", ""},
        {"C:\\Tools\\OMXDRV.SYS.", ""},
        {"C:\\Tools\\OMXDRV.SYS ", ""},
        {"C:/Tools/OMXDRV.SYS", ""},
        {"C:\\Tools/..\\OMXDRV.SYS", ""},
        {"C:\\Program Files\\..\\Temp\\OMXDRV.SYS", ""},
        {"System32\\drivers\\..\\..\\Temp\\OMXDRV.SYS", ""},
        {"System32/drivers/OMXDRV.SYS", ""},
        {"C:\\Tools\\OMXDRV.SYS:hidden", ""},
        {"\"C:\\Tools\\OMXDRV.SYS", ""},
        {"C:\\Tools\\OMXDRV.SYS\"", ""},
        {"\\Device\\HarddiskVolume1\\OMXDRV.SYS", ""},
        {"\\??\\UNC\\srv\\share\\OMXDRV.SYS", ""},
        {"\\\\srv\\share\\OMXDRV.SYS", ""},
        {"\\\\?\\C:\\Tools\\OMXDRV.SYS", ""},
        {"C:\\Tools\\", ""},
        {"C:OMXDRV.SYS", ""},
        {"", ""},
        {"\"\"", ""},
    };
    for (const auto& [image, file] : cases) {
        EXPECT_EQ(ServiceImageFile(image, system), file) << image;
    }
    EXPECT_EQ(ServiceImageFile("System32\\drivers\\OMXDRV.SYS", ""), "") << "no system folder";
}

} // namespace
} // namespace velt
