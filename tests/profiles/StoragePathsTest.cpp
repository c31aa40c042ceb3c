#include <gtest/gtest.h>

#include "profiles/StoragePaths.h"

#include "fakes/FakeRegistry.h"
#include "fakes/FakeShell.h"

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

TEST(StoragePaths, AnInstalledCopyKeepsTheStoreInLocalAppDataAndAPortableOneBesideItself) {
    const std::string beside = "C:\\Program Files\\Veltarion\\Profiles\\profiles.omx";
    const std::string local = "C:\\Users\\me\\AppData\\Local";
    const std::string own = local + "\\Veltarion\\profiles.omx";
    // The setup program's record (empty: none), Windows Installer's, local app data, the answer.
    const std::tuple<std::string, std::vector<std::string>, std::string, StoreLocation> cases[] = {
        {"", {}, local, {beside, ""}},
        {"c:\\program files\\VELTARION", {}, local + "\\", {own, beside}},
        {"", {"D:\\Other\\", "C:\\Program Files\\Veltarion\\"}, local, {own, beside}},
        {"C:\\Program Files\\Velt", {"C:\\Program Files"}, local, {beside, ""}},
        {"C:\\Program Files\\Veltarion", {}, "", {"", beside}},
    };
    for (const auto& [record, msiFolders, localAppData, expected] : cases) {
        FakeRegistry machine;
        FakeShell shell;
        shell.productFolders = msiFolders;
        if (!record.empty()) {
            machine.OpenKey(kUninstallKeyPath, true)
                ->WriteRaw(
                    kInstallLocationValue, kRegSz,
                    std::vector<std::uint8_t>(record.c_str(), record.c_str() + record.size() + 1));
        }
        const StoreLocation where = ChooseStoreLocation(
            "C:\\Program Files\\Veltarion", RecordedInstallFolders(machine, shell), localAppData);
        EXPECT_EQ(where.storagePath, expected.storagePath) << record;
        EXPECT_EQ(where.sharedStoragePath, expected.sharedStoragePath) << record;
    }
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
