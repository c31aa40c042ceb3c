// Shared helpers of the store suites: a store over the in-memory doubles, and lists to save.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "fakes/FakeFiles.h"
#include "fakes/FakeRegistry.h"
#include "fakes/FaultClock.h"
#include "profiles/ProfileList.h"
#include "profiles/ProfileRecord.h"
#include "profiles/RegistIO.h"
#include "profiles/StoragePaths.h"
#include "profiles/StoreLoading.h"

namespace velt::test {

inline constexpr const char* kExeDir = "C:\\Program Files\\Veltarion";

// One profile with every field set from a seed, so that lists differ field by field.
inline TProfileObj SampleProfile(int seed) {
    TProfileObj profile;
    profile.ProfileName = "Profile " + std::to_string(seed);
    profile.PathList = "c:\\data" + std::to_string(seed) + "\\*.*;d:\\x" + std::to_string(seed);
    profile.Reserved = seed % 3 == 0 ? "" : "r" + std::to_string(seed);
    profile.CheckFlag = static_cast<std::uint8_t>(seed % 2);
    profile.CheckByte = static_cast<std::uint8_t>(seed * 37);
    return profile;
}

inline void FillList(ProfileList& list, int count, int firstSeed) {
    list.Clear();
    for (int i = 0; i < count; ++i) {
        list.AppendByName(SampleProfile(firstSeed + i));
    }
}

inline std::vector<TProfileObj> Profiles(const ProfileList& list) {
    std::vector<TProfileObj> profiles;
    for (std::size_t i = 0; i < list.Count(); ++i) {
        profiles.push_back(list.Profile(i));
    }
    return profiles;
}

inline FakeFiles::Bytes FileOf(const ProfileList& list) {
    FakeFiles::Bytes bytes;
    for (std::size_t i = 0; i < list.Count(); ++i) {
        const auto record = EncodeRecord(list.Profile(i));
        bytes.insert(bytes.end(), record.begin(), record.end());
    }
    return bytes;
}

inline std::string ErrorText(const std::function<void()>& action) {
    try {
        action();
    } catch (const StoreError& error) {
        return error.what();
    }
    return "(no error)";
}

class StoreTest : public ::testing::Test {
  protected:
    StoreTest() { files.AddDirectory(kExeDir); }

    void TearDown() override {
        // Whatever happened, nothing may stay open or locked.
        EXPECT_EQ(files.OpenHandles(), 0);
        EXPECT_EQ(registry.OpenKeys(), 0);
    }

    ProfileStore MakeStore() { return ProfileStore(registry, files, storagePath); }
    // A store whose load went through (a first start's when there is no storage file).
    ProfileStore LoadedStore() {
        ProfileList scratch;
        return LoadedInto(MakeStore(), scratch);
    }
    // A list of count sample profiles, already in the storage file.
    ProfileList PutStored(int count) {
        ProfileList list;
        FillList(list, count, 1);
        files.PutFile(storagePath, FileOf(list));
        return list;
    }
    std::string RefusedPath(int n) const {
        return ChangeFileExt(storagePath, ("." + std::to_string(n) + ".new").c_str());
    }

    void SetCurrentProfileValue(std::uint32_t type, std::vector<std::uint8_t> data) {
        registry.OpenKey(kSettingsKeyPath, true)->WriteRaw(kCurrentProfileValue, type, data);
    }
    std::optional<RegistryValue> CurrentProfileValue() {
        const auto key = registry.OpenKey(kSettingsKeyPath, false);
        return key ? key->ReadValue(kCurrentProfileValue, 64) : std::nullopt;
    }
    std::optional<std::int32_t> StoredIndex() {
        const auto value = CurrentProfileValue();
        const auto v = value ? DwordOf(*value) : std::nullopt;
        return v ? std::optional(static_cast<std::int32_t>(*v)) : std::nullopt;
    }

    FaultClock clock;
    FakeFiles files{&clock};
    FakeRegistry registry{&clock};
    std::string storagePath = ProgramFolderProfilesPath(kExeDir);
    std::string newPath = ChangeFileExt(storagePath, ".new");
    std::string backupPath = ChangeFileExt(storagePath, ".bak");
};

} // namespace velt::test
