#include <gtest/gtest.h>

#include "profiles/StoragePaths.h"

#include "fakes/FakeRegistry.h"
#include "fakes/FakeShell.h"

namespace velt {
namespace {

TEST(StoragePaths, ProfilesFilePathFromTheExecutableDirectory) {
    EXPECT_EQ(ProfilesFilePath("C:\\Program Files\\Veltarion"),
              "C:\\Program Files\\Veltarion\\Profiles\\profiles.omx");
    EXPECT_EQ(ProfilesFilePath("C:\\App\\"), "C:\\App\\Profiles\\profiles.omx");
    // A drive root keeps its backslash, and the separator follows it all the same.
    EXPECT_EQ(ProfilesFilePath("C:\\"), "C:\\\\Profiles\\profiles.omx");
    EXPECT_EQ(ProfilesFilePath("\\\\server\\share\\app"),
              "\\\\server\\share\\app\\Profiles\\profiles.omx");
}

TEST(StoragePaths, AnInstalledCopyKeepsTheStoreInLocalAppDataAndAPortableOneBesideItself) {
    struct Case {
        const char* setupRecord; // the setup program's InstallLocation, nullptr: none
        std::vector<std::string> msiFolders;
        const char* localAppData;
        const char* storage;
        const char* shared;
    };
    const char* kBeside = "C:\\Program Files\\Veltarion\\Profiles\\profiles.omx";
    const char* kOwn = "C:\\Users\\me\\AppData\\Local\\Veltarion\\profiles.omx";
    const char* kLocal = "C:\\Users\\me\\AppData\\Local";
    const Case cases[] = {
        {nullptr, {}, kLocal, kBeside, ""},
        {"c:\\program files\\VELTARION", {}, "C:\\Users\\me\\AppData\\Local\\", kOwn, kBeside},
        {nullptr, {"D:\\Other\\", "C:\\Program Files\\Veltarion\\"}, kLocal, kOwn, kBeside},
        {"C:\\Program Files\\Velt", {"C:\\Program Files"}, kLocal, kBeside, ""},
        {"C:\\Program Files\\Veltarion", {}, "", "", kBeside},
    };
    for (const Case& c : cases) {
        FakeRegistry machine;
        FakeShell shell;
        shell.productFolders = c.msiFolders;
        if (c.setupRecord != nullptr) {
            const std::string record(c.setupRecord);
            machine.OpenKey(kUninstallKeyPath, true)
                ->WriteRaw(
                    kInstallLocationValue, kRegSz,
                    std::vector<std::uint8_t>(record.c_str(), record.c_str() + record.size() + 1));
        }
        const StoreLocation where = ChooseStoreLocation(
            "C:\\Program Files\\Veltarion", RecordedInstallFolders(machine, shell), c.localAppData);
        EXPECT_EQ(where.storagePath, c.storage) << c.localAppData;
        EXPECT_EQ(where.sharedStoragePath, c.shared) << c.localAppData;
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
