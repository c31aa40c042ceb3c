// Installed or portable: the setups' records in the machine's registry, and where the store goes.
#include "app/Installation.h"

#include "fakes/FakeRegistry.h"
#include "profiles/StoragePaths.h"

#include "SharedNames.h"

#include <gtest/gtest.h>

#include <tuple>

namespace velt {
namespace {

struct Record {
    std::string folder; // empty: none
    std::uint32_t type = kRegSz;
    std::size_t bytes = 0; // the value's size with its padding of NULs; 0: the folder and one NUL
};

void Write(FakeRegistry& machine, std::string_view key, std::string_view value, const Record& r) {
    if (r.folder.empty()) {
        return;
    }
    std::vector<std::uint8_t> data(r.folder.begin(), r.folder.end());
    data.resize(r.bytes != 0 ? r.bytes : data.size() + 1, 0);
    machine.OpenKey(key, true)->WriteRaw(value, r.type, data);
}

TEST(Installation, TheSetupsRecordsTellAnInstalledCopyWhichKeepsItsStoreInLocalAppData) {
    const std::string exeDir = "C:\\Program Files\\Veltarion";
    const std::string beside = exeDir + "\\Profiles\\profiles.omx";
    const std::string local = "C:\\Users\\me\\AppData\\Local";
    const std::string own = local + "\\Veltarion\\profiles.omx";
    constexpr std::uint32_t kRegExpandSz = 2;
    // The setup program's record, the package's, local app data, the store and the shared file.
    const std::tuple<Record, Record, std::string, StoreLocation> cases[] = {
        {{}, {}, local, {beside, ""}},
        {{"c:\\program files\\VELTARION"}, {}, local + "\\", {own, beside}},
        {{}, {"C:\\Program Files\\Veltarion\\"}, local, {own, beside}},
        {{"D:\\Other"}, {"C:\\Program Files\\Veltarion"}, local, {own, beside}},
        {{"C:\\Program Files\\Velt"}, {"C:\\Program Files"}, local, {beside, ""}},
        {{exeDir}, {}, "", {"", beside}},
        // Only a string is a record, and one no longer than Windows' longest path.
        {{exeDir, kRegExpandSz}, {exeDir, kRegDword}, local, {beside, ""}},
        {{}, {exeDir, kRegSz, 32767}, local, {own, beside}},
        {{}, {exeDir, kRegSz, 32768}, local, {beside, ""}},
        {{exeDir, kRegSz, 32768}, {}, local, {beside, ""}},
    };
    for (const auto& [setup, package, localAppData, expected] : cases) {
        FakeRegistry machine;
        Write(machine, kUninstallKeyPath, kInstallLocationValue, setup);
        Write(machine, shared::kInstallerKey, shared::kInstallFolderValue, package);
        const StoreLocation where =
            ChooseStoreLocation(exeDir, RecordedInstallFolders(machine), localAppData);
        EXPECT_EQ(where.storagePath, expected.storagePath) << setup.folder << package.folder;
        EXPECT_EQ(where.sharedStoragePath, expected.sharedStoragePath) << setup.folder;
    }
}

} // namespace
} // namespace velt
