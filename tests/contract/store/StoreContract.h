// Cases that hold for the real Windows files and registry and for the in-memory doubles alike,
// first for the seams themselves, then for the profile store over them. Each runner defines
// MakeStoreEnvironment() for its implementation.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/Files.h"
#include "platform/SettingsRegistry.h"
#include "profiles/ProfileRecord.h"
#include "profiles/RegistIO.h"
#include "profiles/StoreLoading.h"
#include "profiles/StoragePaths.h"

namespace velt::contract {

class StoreEnvironment {
  public:
    virtual ~StoreEnvironment() = default;
    virtual IFiles& Files() = 0;
    virtual ISettingsRegistry& Registry() = 0;
    // An existing empty folder of this test, removed with its content afterwards.
    virtual std::string Folder() = 0;
    // A registry key path (below HKEY_CURRENT_USER) of this test, removed afterwards.
    virtual std::string KeyPath() = 0;
    // A folder whose entries cannot change, holding "Profiles\profiles.omx" of two zero records
    // in a folder that cannot change either; nullopt where none can be made.
    virtual std::optional<std::string> LockedFolder() = 0;
    // A folder holding "Profiles\profiles.omx" of two zero records that cannot be written, as a
    // read-only file on Windows; nullopt where none can be made.
    virtual std::optional<std::string> UnwritableStorageFolder() = 0;
    // Whether the read-only attribute keeps writers out (not so under Wine run as root).
    virtual bool ReadOnlyAttributeHonoured() = 0;
    // Removes a key with everything below it (the program itself never removes keys); false
    // when there was nothing to remove or it could not be removed.
    virtual bool DeleteKeyTree(const std::string& path) = 0;
    // Gives an existing file a second name (a hard link); false where none can be made.
    virtual bool HardLink(const std::string& existing, const std::string& link) = 0;
};

std::unique_ptr<StoreEnvironment> MakeStoreEnvironment();

using Bytes = std::vector<std::uint8_t>;

inline std::string TextOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const StoreError& error) {
        return error.what();
    }
    return "(no error)";
}

class StoreContract : public ::testing::Test {
  protected:
    IFiles& files() { return env->Files(); }
    ISettingsRegistry& registry() { return env->Registry(); }
    std::string Path(const std::string& name) { return folder + "\\" + name; }

    void Put(const std::string& path, const Bytes& bytes) {
        const auto file = files().Create(path);
        if (!bytes.empty()) {
            file->Write(bytes.data(), bytes.size());
        }
    }
    std::optional<Bytes> Get(const std::string& path) {
        if (!files().Exists(path)) {
            return std::nullopt;
        }
        const auto file = files().Open(path, FileAccess::Read, FileShare::ReadWrite);
        Bytes bytes(static_cast<std::size_t>(file->Size()));
        if (!bytes.empty()) {
            file->Read(bytes.data(), bytes.size());
        }
        return bytes;
    }

    std::unique_ptr<StoreEnvironment> env = MakeStoreEnvironment();
    std::string folder = env->Folder();
    std::string keyPath = env->KeyPath();
};

// ---- Files ----

TEST_F(StoreContract, CreateWriteReadAndPositions) {
    const std::string path = Path("a.dat");
    EXPECT_FALSE(files().Exists(path));
    Bytes bytes(1100);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = static_cast<std::uint8_t>(i * 7);
    }
    {
        const auto file = files().Create(path);
        file->Write(bytes.data(), 512);
        file->Write(bytes.data() + 512, bytes.size() - 512);
        EXPECT_EQ(file->Position(), 1100u);
        EXPECT_EQ(file->Size(), 1100u);
        file->Flush();
    }
    EXPECT_TRUE(files().Exists(path));
    const auto file = files().Open(path);
    EXPECT_EQ(file->Size(), 1100u);
    Bytes record(512);
    file->Read(record.data(), 512);
    file->Read(record.data(), 512);
    EXPECT_EQ(file->Position(), 1024u);
    EXPECT_EQ(record, Bytes(bytes.begin() + 512, bytes.begin() + 1024));
    EXPECT_EQ(TextOf([&] { file->Read(record.data(), 512); }), "Read beyond end of file");
}

// A file this program made is one nobody else could have planted, until it has a second name.
TEST_F(StoreContract, OriginOfAFileIsReadOnItsHandle) {
    const std::string path = Path("origin.omx");
    Put(path, Bytes(512, 1));
    FileOrigin origin = files().Open(path, FileAccess::Read, FileShare::Read)->Origin();
    EXPECT_TRUE(OriginTrusted(origin)) << origin.read << origin.links << origin.reparsePoint
                                       << origin.ownerTrusted << " " << origin.untrustedRights;
    if (!env->HardLink(path, Path("planted.omx"))) {
        GTEST_SKIP() << "no hard links here";
    }
    origin = files().Open(path, FileAccess::Read, FileShare::Read)->Origin();
    EXPECT_EQ(origin.links, 2U);
    EXPECT_FALSE(OriginTrusted(origin));
}

TEST_F(StoreContract, CreateTruncatesAnExistingFile) {
    const std::string path = Path("t.dat");
    Put(path, Bytes(700, 1));
    Put(path, Bytes(3, 2));
    EXPECT_EQ(Get(path), Bytes(3, 2));
}

TEST_F(StoreContract, MissingFilesAndFoldersAndBadNames) {
    EXPECT_EQ(TextOf([&] { files().Open(Path("none.dat")); }), "File not found");
    EXPECT_EQ(TextOf([&] { files().Open(Path("nodir\\none.dat")); }), "Invalid filename");
    EXPECT_EQ(TextOf([&] { files().Create(Path("nodir\\none.dat")); }), "Invalid filename");
    EXPECT_EQ(TextOf([&] { files().Create(Path("a<b>.dat")); }), "Invalid filename");
    EXPECT_EQ(TextOf([&] { files().Remove(Path("none.dat")); }), "File not found");
    EXPECT_EQ(TextOf([&] { files().Copy(Path("none.dat"), Path("x.dat")); }), "File not found");
    EXPECT_EQ(TextOf([&] { files().MakeDirectory(Path("nodir\\sub")); }), "Invalid filename");
}

TEST_F(StoreContract, DirectoriesAreNotFiles) {
    const std::string dir = Path("sub");
    files().MakeDirectory(dir);
    EXPECT_FALSE(files().Exists(dir));
    EXPECT_EQ(TextOf([&] { files().MakeDirectory(dir); }), IoErrorText(kErrorAlreadyExists));
    EXPECT_EQ(TextOf([&] { files().Open(dir); }), "File access denied");
    Put(dir + "\\x.dat", {1});
    EXPECT_TRUE(files().Exists(dir + "\\X.DAT")) << "names compare without letter case";
    EXPECT_TRUE(files().Exists(folder + "\\\\sub\\x.dat")) << "a doubled separator counts once";
}

TEST_F(StoreContract, ReadOnlyFileRefusesWritersButNotReaders) {
    if (!env->ReadOnlyAttributeHonoured()) {
        GTEST_SKIP() << "the read-only attribute keeps no writer out here (Wine run as root); "
                        "StoreOverSeams.UnwritableStorageFile covers such a file";
    }
    const std::string path = Path("ro.dat");
    Put(path, {1, 2, 3});
    files().SetReadOnly(path, true);
    EXPECT_EQ(TextOf([&] { files().Open(path); }), "File access denied");
    EXPECT_EQ(TextOf([&] { files().Create(path); }), "File access denied");
    EXPECT_EQ(TextOf([&] { files().Remove(path); }), "File access denied");
    EXPECT_EQ(Get(path), (Bytes{1, 2, 3}));
    files().SetReadOnly(path, false);
    files().Remove(path);
    EXPECT_FALSE(files().Exists(path));
}

TEST_F(StoreContract, ReadOnlyAttributeOfAFolderKeepsNothingOut) {
    const std::string dir = Path("rodir");
    files().MakeDirectory(dir);
    files().SetReadOnly(dir, true);
    Put(dir + "\\x.dat", {1});
    EXPECT_EQ(Get(dir + "\\x.dat"), Bytes{1});
    files().Remove(dir + "\\x.dat");
    files().SetReadOnly(dir, false);
}

TEST_F(StoreContract, FileOpenWithoutSharingIsLockedForOthers) {
    const std::string path = Path("lock.dat");
    Put(path, Bytes(512, 9));
    Put(Path("other.dat"), {1});
    {
        const auto lock = files().Open(path, FileAccess::Read, FileShare::None);
        EXPECT_EQ(TextOf([&] { files().Open(path, FileAccess::Read); }), "File access denied");
        EXPECT_EQ(TextOf([&] { files().Create(path); }), "File access denied");
        EXPECT_EQ(TextOf([&] { files().Remove(path); }), "File access denied");
        EXPECT_EQ(TextOf([&] { files().MoveReplace(Path("other.dat"), path); }),
                  "File access denied");
    }
    EXPECT_EQ(Get(path), Bytes(512, 9));
}

TEST_F(StoreContract, ShareModesOfOpenHandles) {
    const std::string path = Path("share.dat");
    Put(path, {5});
    const auto reader = files().Open(path, FileAccess::ReadWrite, FileShare::Read);
    // Another reader is let in by FileShare::Read only if it lets our writing handle in too.
    EXPECT_EQ(TextOf([&] { files().Open(path, FileAccess::Read, FileShare::Read); }),
              "File access denied");
    EXPECT_EQ(TextOf([&] { files().Open(path, FileAccess::Read, FileShare::ReadWrite); }),
              "(no error)");
    EXPECT_EQ(TextOf([&] { files().Open(path, FileAccess::ReadWrite, FileShare::ReadWrite); }),
              "File access denied");
}

TEST_F(StoreContract, CopyReplacesTheTarget) {
    Put(Path("a.dat"), {1, 2});
    Put(Path("b.dat"), {3, 4, 5});
    files().Copy(Path("a.dat"), Path("b.dat"));
    EXPECT_EQ(Get(Path("b.dat")), (Bytes{1, 2}));
    EXPECT_EQ(Get(Path("a.dat")), (Bytes{1, 2}));
}

TEST_F(StoreContract, ReplaceKeepsThePreviousFileAsBackup) {
    const std::string target = Path("p.omx");
    const std::string fresh = Path("p.new");
    const std::string backup = Path("p.bak");
    Put(target, {1});
    Put(fresh, {2, 2});
    files().Replace(target, fresh, backup);
    EXPECT_EQ(Get(target), (Bytes{2, 2}));
    EXPECT_EQ(Get(backup), Bytes{1});
    EXPECT_FALSE(files().Exists(fresh));

    Put(fresh, {3, 3, 3}); // an older backup is replaced
    files().Replace(target, fresh, backup);
    EXPECT_EQ(Get(target), (Bytes{3, 3, 3}));
    EXPECT_EQ(Get(backup), (Bytes{2, 2}));
    EXPECT_FALSE(files().Exists(fresh));
}

TEST_F(StoreContract, FailedReplaceLeavesEveryFileAsItWas) {
    const std::string target = Path("p.omx");
    const std::string fresh = Path("p.new");
    const std::string backup = Path("p.bak");
    Put(target, {1});
    Put(fresh, {2, 2});
    Put(backup, {0});
    {
        const auto lock = files().Open(target, FileAccess::Read, FileShare::None);
        EXPECT_EQ(TextOf([&] { files().Replace(target, fresh, backup); }), "File access denied");
    }
    EXPECT_EQ(Get(target), Bytes{1});
    EXPECT_EQ(Get(fresh), (Bytes{2, 2}));
    EXPECT_EQ(Get(backup), Bytes{0});

    files().SetReadOnly(target, true);
    EXPECT_EQ(TextOf([&] { files().Replace(target, fresh, backup); }), "File access denied");
    files().SetReadOnly(target, false);
    EXPECT_EQ(Get(target), Bytes{1});
    EXPECT_EQ(Get(fresh), (Bytes{2, 2}));
    EXPECT_EQ(Get(backup), Bytes{0});

    EXPECT_EQ(TextOf([&] { files().Replace(Path("none.omx"), fresh, backup); }), "File not found");
    EXPECT_EQ(Get(fresh), (Bytes{2, 2}));
}

TEST_F(StoreContract, MoveReplaceRenamesOverTheTarget) {
    Put(Path("a.new"), {7});
    files().MoveReplace(Path("a.new"), Path("a.omx"));
    EXPECT_EQ(Get(Path("a.omx")), Bytes{7});
    EXPECT_FALSE(files().Exists(Path("a.new")));
    Put(Path("a.new"), {8, 8});
    files().MoveReplace(Path("a.new"), Path("a.omx"));
    EXPECT_EQ(Get(Path("a.omx")), (Bytes{8, 8}));
    EXPECT_FALSE(files().Exists(Path("a.new")));
}

TEST_F(StoreContract, CreateNewAndMoveNewLeaveAnExistingFileAlone) {
    Put(Path("a.omx"), {1});
    Put(Path("a.new"), {2});
    EXPECT_EQ(files().CreateNew(Path("a.omx")), nullptr);
    EXPECT_FALSE(files().MoveNew(Path("a.new"), Path("a.omx")));
    EXPECT_EQ(Get(Path("a.omx")), Bytes{1});
    EXPECT_TRUE(files().MoveNew(Path("a.new"), Path("b.omx")));
    EXPECT_EQ(Get(Path("b.omx")), Bytes{2});
    EXPECT_FALSE(files().Exists(Path("a.new")));
    files().CreateNew(Path("c.omx"))->Write("c", 1);
    EXPECT_EQ(Get(Path("c.omx")), Bytes{'c'});
    EXPECT_EQ(TextOf([&] { files().CreateNew(Path("nodir\\c.omx")); }), "Invalid filename");
}

// ---- Registry ----

TEST_F(StoreContract, RegistryKeysAndValues) {
    EXPECT_FALSE(registry().KeyExists(keyPath));
    EXPECT_EQ(registry().OpenKey(keyPath, false), nullptr);
    {
        const auto key = registry().OpenKey(keyPath, true);
        ASSERT_NE(key, nullptr);
        EXPECT_FALSE(key->ValueExists("CurrentProfile"));
        EXPECT_EQ(key->ReadValue("CurrentProfile", 4), std::nullopt);
        key->WriteDword("CurrentProfile", 0xFFFFFFFFU);
    }
    EXPECT_TRUE(registry().KeyExists(keyPath));
    const auto key = registry().OpenKey(keyPath, false);
    ASSERT_NE(key, nullptr);
    EXPECT_TRUE(key->ValueExists("currentprofile")) << "names compare without letter case";
    auto value = key->ReadValue("CurrentProfile", 4);
    ASSERT_TRUE(value);
    EXPECT_EQ(value->type, kRegDword);
    EXPECT_EQ(value->size, 4u);
    EXPECT_EQ(value->data, (Bytes{0xFF, 0xFF, 0xFF, 0xFF}));

    key->WriteRaw("Text", kRegSz, {'a', 'b', 'c', 'd', 0});
    value = key->ReadValue("Text", 4);
    ASSERT_TRUE(value);
    EXPECT_EQ(value->type, kRegSz);
    EXPECT_EQ(value->size, 5u);
    EXPECT_TRUE(value->data.empty()) << "too long for the capacity asked for";

    key->WriteRaw("Bin", kRegBinary, {1, 2});
    value = key->ReadValue("Bin", 4);
    ASSERT_TRUE(value);
    EXPECT_EQ(value->type, kRegBinary);
    EXPECT_EQ(value->data, (Bytes{1, 2}));
}

// ---- The profile store over the seams ----

class StoreOverSeams : public StoreContract {
  protected:
    ProfileStore MakeStore(const std::string& exeDir) {
        return ProfileStore(registry(), files(), ProgramFolderProfilesPath(exeDir), keyPath);
    }
    // A store over exeDir that has loaded `list`.
    ProfileStore Loaded(const std::string& exeDir, ProfileList& list) {
        return LoadedInto(MakeStore(exeDir), list);
    }
    static void FillThree(ProfileList& list) {
        list.Clear();
        for (int i = 0; i < 3; ++i) {
            TProfileObj profile;
            profile.ProfileName = "P" + std::to_string(i);
            profile.PathList = "c:\\d" + std::to_string(i) + "\\*.*";
            profile.CheckFlag = static_cast<std::uint8_t>(i % 2);
            profile.CheckByte = static_cast<std::uint8_t>(100 + i);
            list.Append(profile.ProfileName.str(), profile);
        }
    }
};

TEST_F(StoreOverSeams, FirstStartSaveAndReload) {
    auto store = MakeStore(folder);
    ASSERT_TRUE(store.EnsureSettingsKey());
    ProfileList list;
    std::int32_t index = 9;
    EXPECT_FALSE(store.LoadProfiles(list, index));
    EXPECT_EQ(list.Count(), 1u);
    EXPECT_EQ(index, 0);
    const Bytes first = *Get(store.StoragePath());
    EXPECT_EQ(first.size(), 512u) << "the first-run profile is stored at once";
    EXPECT_FALSE(Get(store.NewPath()));

    store.SaveProfiles(list, 0);
    EXPECT_EQ(Get(store.StoragePath()), first);
    FillThree(list);
    store.SaveProfiles(list, 2);
    EXPECT_EQ(Get(store.StoragePath())->size(), 1536u);
    EXPECT_EQ(Get(store.BackupPath()), first);
    EXPECT_FALSE(files().Exists(store.NewPath()));

    ProfileList loaded;
    EXPECT_TRUE(MakeStore(folder).LoadProfiles(loaded, index));
    ASSERT_EQ(loaded.Count(), 3u);
    EXPECT_EQ(loaded.Profile(2), list.Profile(2));
    EXPECT_EQ(index, 2);
}

TEST_F(StoreOverSeams, UnwritableStorageFile) {
    const auto dir = env->UnwritableStorageFolder();
    if (!dir) {
        GTEST_SKIP() << "no unwritable file on this machine";
    }
    auto store = MakeStore(*dir);
    store.EnsureSettingsKey();
    ProfileList list;
    list.Append("shown", TProfileObj{});
    std::int32_t index = 5;
    // The load asks for write access too: refused, the list is left empty, no default profile.
    EXPECT_EQ(TextOf([&] { store.LoadProfiles(list, index); }), "File access denied");
    EXPECT_EQ(list.Count(), 0u);
    EXPECT_EQ(index, 5);
    // After such a load a save leaves the stored file alone and keeps the list in a file of its
    // own.
    list.Append("new", TProfileObj{});
    const std::string refused = ChangeFileExt(store.StoragePath(), ".1.new");
    EXPECT_EQ(TextOf([&] { store.SaveProfiles(list, 0); }), StorageLeftUnchangedText(refused));
    EXPECT_EQ(Get(store.StoragePath()), Bytes(1024, 0));
    EXPECT_EQ(Get(refused)->size(), 512u);
    files().Remove(refused);
    // And the file cannot be replaced either.
    Put(store.NewPath(), Bytes(512, 1));
    EXPECT_EQ(
        TextOf([&] { files().Replace(store.StoragePath(), store.NewPath(), store.BackupPath()); }),
        "File access denied");
    EXPECT_EQ(Get(store.StoragePath()), Bytes(1024, 0));
    EXPECT_FALSE(files().Exists(store.BackupPath()));
    files().Remove(store.NewPath());
}

TEST_F(StoreOverSeams, SaveOverAStorageFileThatBecameReadOnly) {
    ProfileList list;
    auto store = Loaded(folder, list);
    FillThree(list);
    store.SaveProfiles(list, 0);
    const Bytes saved = *Get(store.StoragePath());

    files().SetReadOnly(store.StoragePath(), true);
    ProfileList other;
    other.Append("x", TProfileObj{});
    // Reported, and the changes stay in ".new".
    EXPECT_EQ(TextOf([&] { store.SaveProfiles(other, 0); }), "File access denied");
    EXPECT_EQ(Get(store.StoragePath()), saved);
    EXPECT_EQ(Get(store.NewPath())->size(), 512u);
    files().SetReadOnly(store.StoragePath(), false);
    store.SaveProfiles(other, 0);
    EXPECT_EQ(Get(store.StoragePath())->size(), 512u);
    EXPECT_EQ(Get(store.BackupPath()), saved);
}

TEST_F(StoreOverSeams, BackupThatCannotBeWrittenDoesNotStopSaves) {
    ProfileList list;
    auto store = Loaded(folder, list);
    store.SaveProfiles(list, 0); // the backup: the first start's file
    FillThree(list);
    {
        // Held by another program: the storage file is replaced without a backup.
        const auto hold = files().Open(store.BackupPath(), FileAccess::Read, FileShare::None);
        store.SaveProfiles(list, 0);
    }
    EXPECT_EQ(Get(store.StoragePath())->size(), 1536u);
    EXPECT_EQ(Get(store.BackupPath())->size(), 512u);
    if (env->ReadOnlyAttributeHonoured()) {
        // Read-only: the stale one is removed, and the save keeps its backup as ever.
        files().SetReadOnly(store.BackupPath(), true);
        store.SaveProfiles(list, 0);
        EXPECT_EQ(Get(store.BackupPath())->size(), 1536u);
    }
    EXPECT_FALSE(files().Exists(store.NewPath()));
}

TEST_F(StoreOverSeams, StorageFileLockedByAnotherHandle) {
    auto store = MakeStore(folder);
    store.EnsureSettingsKey();
    ProfileList list;
    std::int32_t index = 0;
    store.LoadProfiles(list, index);
    FillThree(list);
    store.SaveProfiles(list, 1);
    const Bytes saved = *Get(store.StoragePath());
    {
        const auto lock = files().Open(store.StoragePath(), FileAccess::Read, FileShare::None);
        EXPECT_EQ(TextOf([&] { store.SaveProfiles(list, 1); }), "File access denied");
        EXPECT_TRUE(files().Exists(store.NewPath()));
        EXPECT_EQ(TextOf([&] { store.LoadProfiles(list, index); }), "File access denied");
    }
    EXPECT_EQ(Get(store.StoragePath()), saved);
    // Nothing of the failed steps stays open: once the lock is gone, both work again.
    EXPECT_TRUE(store.LoadProfiles(list, index));
    EXPECT_EQ(list.Count(), 3u);
    store.SaveProfiles(list, 1);
    EXPECT_FALSE(files().Exists(store.NewPath()));
}

TEST_F(StoreOverSeams, FolderWhoseEntriesCannotChange) {
    const auto locked = env->LockedFolder();
    if (!locked) {
        GTEST_SKIP() << "no folder with unchangeable entries on this machine";
    }
    auto store = MakeStore(*locked);
    store.EnsureSettingsKey();
    ProfileList list;
    std::int32_t index = 0;
    EXPECT_TRUE(store.LoadProfiles(list, index));
    EXPECT_EQ(list.Count(), 2u);
    list.Append("new", TProfileObj{});
    EXPECT_EQ(TextOf([&] { store.SaveProfiles(list, 0); }), "File access denied");
    EXPECT_EQ(Get(store.StoragePath()), Bytes(1024, 0));
    EXPECT_FALSE(files().Exists(store.NewPath()));

    // An executable folder without a "Profiles" folder, which cannot be made there.
    auto bare = MakeStore(*locked + "\\Profiles");
    EXPECT_EQ(TextOf([&] { bare.LoadProfiles(list, index); }), "Invalid filename");
    EXPECT_EQ(list.Count(), 1u) << "the default profile was appended before the failure";
    // Without the settings key such a load reports nothing and selects nothing.
    env->DeleteKeyTree(keyPath);
    EXPECT_EQ(TextOf([&] { bare.LoadProfiles(list, index); }), "(no error)");
    EXPECT_EQ(list.Count(), 0u);
    EXPECT_EQ(index, -1);
}

TEST_F(StoreOverSeams, CurrentProfileOfTheWrongType) {
    auto store = MakeStore(folder);
    store.EnsureSettingsKey();
    registry().OpenKey(keyPath, false)->WriteRaw("CurrentProfile", kRegSz, {'1', 0});
    ProfileList list;
    std::int32_t index = 0;
    EXPECT_EQ(TextOf([&] { store.LoadProfiles(list, index); }),
              "Invalid data type for 'CurrentProfile'");
    registry().OpenKey(keyPath, false)->WriteRaw("CurrentProfile", kRegSz, {'1', '2', '3', '4', 0});
    EXPECT_EQ(TextOf([&] { store.LoadProfiles(list, index); }),
              "Failed to get data for 'CurrentProfile'");
}

} // namespace velt::contract
