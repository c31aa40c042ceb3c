// libFuzzer target: loading arbitrary bytes as the storage file (and an arbitrary CurrentProfile
// value), through the in-memory doubles.
//
// Input: byte 0 picks the CurrentProfile value's type, byte 1 its length (0..8), then that many
// value bytes; the rest is the storage file.
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "FuzzCheck.h"
#include "fakes/FakeFiles.h"
#include "fakes/FakeRegistry.h"
#include "profiles/ProfileList.h"
#include "profiles/RegistIO.h"
#include "profiles/StoragePaths.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace velt;
    using fuzz::Check;
    FakeFiles files;
    FakeRegistry registry;
    const std::string exeDir = "C:\\App";
    files.AddDirectory(exeDir + "\\Profiles");
    ProfileStore store(registry, files, ProgramFolderProfilesPath(exeDir));
    store.EnsureSettingsKey();

    std::size_t at = 0;
    if (size >= 2) {
        const std::uint32_t types[] = {kRegNone, kRegSz, kRegBinary, kRegDword, 11, 0xFFFF};
        const std::uint32_t type = types[data[0] % std::size(types)];
        const std::size_t length = std::min<std::size_t>(data[1] % 9, size - 2);
        if (data[0] < 200) {
            registry.OpenKey(kSettingsKeyPath, false)
                ->WriteRaw(kCurrentProfileValue, type,
                           std::vector<std::uint8_t>(data + 2, data + 2 + length));
        }
        at = 2 + length;
    }
    const std::vector<std::uint8_t> file(data + at, data + size);
    files.PutFile(store.StoragePath(), file);

    ProfileList list;
    std::int32_t index = -7;
    bool loaded = false;
    try {
        store.LoadProfiles(list, index);
        loaded = true;
    } catch (const StoreError&) {
    }
    Check(files.OpenHandles() == 0);
    Check(registry.OpenKeys() == 0);
    if (loaded) {
        Check(list.Count() == file.size() / 512);
        Check(file.size() % 512 == 0);
        // A stored index names an entry or is negative; anything else becomes 0.
        Check(index == 0 || index < static_cast<std::int64_t>(list.Count()));
    }
    for (std::size_t i = 0; i < list.Count(); ++i) {
        const auto& p = list.Profile(i);
        Check(p.ProfileName.size() <= 99 && p.PathList.size() <= 255 && p.Reserved.size() <= 153);
        Check(list.Text(i) == p.ProfileName.str());
    }
    if (store.StorageLoaded()) {
        // Whatever was loaded saves and loads back unchanged.
        store.SaveProfiles(list, 0);
        ProfileList again;
        store.LoadProfiles(again, index);
        Check(again.Count() == list.Count());
        for (std::size_t i = 0; i < list.Count(); ++i) {
            Check(again.Profile(i) == list.Profile(i));
        }
    }
    return 0;
}
