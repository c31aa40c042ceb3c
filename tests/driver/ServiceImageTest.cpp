#include "driver/ServiceImage.h"

#include <gtest/gtest.h>

#include <vector>

namespace velt {
namespace {

// Each form of a service's image path and the file the kernel loads for it; empty where the
// path names no one file on a drive (the forms the path splitter refuses are PathTrust's rows).
TEST(ServiceImage, MapsEachFormToTheFileTheKernelLoads) {
    const char* const system = "C:\\WINDOWS\\system32";
    const std::vector<std::pair<const char*, const char*>> cases = {
        {"C:\\Program Files\\Veltarion\\OMXDRV.SYS", "C:\\Program Files\\Veltarion\\OMXDRV.SYS"},
        {"\\??\\c:\\Tools\\OMXDRV.SYS", "c:\\Tools\\OMXDRV.SYS"},
        {"\\SystemRoot\\System32\\drivers\\OMXDRV.SYS",
         "C:\\WINDOWS\\System32\\drivers\\OMXDRV.SYS"},
        {"\\systemroot\\system32\\drivers\\OMXDRV.SYS",
         "C:\\WINDOWS\\system32\\drivers\\OMXDRV.SYS"},
        // Relative: under the Windows folder, not the system folder.
        {"System32\\DRIVERS\\OMXDRV.SYS", "C:\\WINDOWS\\System32\\DRIVERS\\OMXDRV.SYS"},
        {"\"C:\\Tools\\OMXDRV.SYS\"", "C:\\Tools\\OMXDRV.SYS"},
        {"\"\\??\\C:\\Tools\\OMXDRV.SYS\"", "C:\\Tools\\OMXDRV.SYS"},
    };
    for (const auto& [image, file] : cases) {
        EXPECT_EQ(ServiceImageFile(image, system), file) << image;
    }
    // Each prefix's remainder is still checked; and what is not one file on a drive.
    for (const char* image :
         {"\\??\\C:\\Tools.\\OMXDRV.SYS", "\\SystemRoot\\..\\Temp\\OMXDRV.SYS",
          "System32\\drivers\\..\\..\\Temp\\OMXDRV.SYS", "\"C:\\Tools\\OMXDRV.SYS",
          "\\Device\\HarddiskVolume1\\OMXDRV.SYS", "\\??\\UNC\\srv\\share\\OMXDRV.SYS",
          "\\\\srv\\share\\OMXDRV.SYS", "\\\\?\\C:\\Tools\\OMXDRV.SYS", "C:\\Tools\\",
          "C:OMXDRV.SYS", "", "\"\""}) {
        EXPECT_EQ(ServiceImageFile(image, system), "") << image;
    }
    EXPECT_EQ(ServiceImageFile("System32\\drivers\\OMXDRV.SYS", ""), "") << "no system folder";
}

} // namespace
} // namespace velt
