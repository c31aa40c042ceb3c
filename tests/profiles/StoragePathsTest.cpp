#include <gtest/gtest.h>

#include "profiles/StoragePaths.h"

namespace velt {
namespace {

TEST(StoragePaths, ProgramFolderProfilesPathFromTheExecutableDirectory) {
    EXPECT_EQ(ProgramFolderProfilesPath("C:\\Program Files\\Veltarion"),
              "C:\\Program Files\\Veltarion\\Profiles\\profiles.omx");
    EXPECT_EQ(ProgramFolderProfilesPath("C:\\App\\"), "C:\\App\\Profiles\\profiles.omx");
    // A drive root keeps its backslash, and the separator follows it all the same.
    EXPECT_EQ(ProgramFolderProfilesPath("C:\\"), "C:\\\\Profiles\\profiles.omx");
    EXPECT_EQ(ProgramFolderProfilesPath("\\\\server\\share\\app"),
              "\\\\server\\share\\app\\Profiles\\profiles.omx");
}

TEST(StoragePaths, CompanionsDifferOnlyInTheExtension) {
    EXPECT_EQ(ChangeFileExt("C:\\a\\profiles.omx", ".new"), "C:\\a\\profiles.new");
    EXPECT_EQ(ChangeFileExt("C:\\a.dir\\profiles", ".bak"), "C:\\a.dir\\profiles.bak");
    EXPECT_EQ(ChangeFileExt("C:\\a\\x.tar.gz", ".bak"), "C:\\a\\x.tar.bak");
}

TEST(StoragePaths, ExtractFileDir) {
    EXPECT_EQ(ExtractFileDir("C:\\App\\Profiles\\profiles.omx"), "C:\\App\\Profiles");
    EXPECT_EQ(ExtractFileDir("profiles.omx"), "");
}

} // namespace
} // namespace velt
