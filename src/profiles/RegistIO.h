// The profile storage file and the current-profile registry value.
//
// The storage file is a sequence of 512-byte records, one per profile, in list order. A save
// writes "<name>.new" in full, flushes it, and then puts it in the place of the storage file in
// one step, keeping the previous generation as "<name>.bak". So whatever fails, and even if the
// process dies at any moment, the storage file holds either the old list or the new one.
//
// File and registry failures are raised as StoreError; the operation stops at the failing step
// and nothing stays open.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Files.h"
#include "platform/SettingsRegistry.h"
#include "platform/StoreError.h"
#include "profiles/ProfileList.h"

namespace velt {

inline constexpr std::string_view kSettingsKeyPath = "Software\\Veltarion";
inline constexpr std::string_view kCurrentProfileValue = "CurrentProfile";

// Why a save left the storage file alone: the last load did not read it completely (or there
// was none), or the storage file the save found is not the one the load read.
inline constexpr std::string_view kNotLoadedCompletely =
    "The profiles file was not loaded completely, so it was left unchanged.";
inline constexpr std::string_view kNotTheLoadedFile =
    "The profiles file on the disk is not the one that was loaded, so it was left unchanged.";

// How many files of refused saves are kept beside the storage file at most.
inline constexpr int kMaxRefusedSaves = 999;

// Raised by a refused save: the list in memory is not the stored one, and replacing the file
// would lose the stored profiles. The list was written to a file of its own instead, which no
// later save touches. The text ends in its own full stop, after the quoted name.
inline std::string StorageLeftUnchangedText(std::string_view savedPath,
                                            std::string_view why = kNotLoadedCompletely) {
    return std::string(why) + " Your profiles were saved to \"" + std::string(savedPath) + "\".";
}
// The same when every name for such a file is taken.
inline std::string NoMoreCopiesText(std::string_view folder,
                                    std::string_view why = kNotLoadedCompletely) {
    return std::string(why) + " No more copies of your profiles can be kept: there are already " +
           std::to_string(kMaxRefusedSaves) + " in \"" + std::string(folder) + "\".";
}

// Why an older shared store was not taken in (the Event Log entry's reason).
inline constexpr std::string_view kSharedStoreNotTrusted =
    "a user who is not an administrator could have made or changed it";
inline constexpr std::string_view kSharedStoreNotWhole = "it holds no whole profiles";
inline constexpr std::string_view kSharedStoreTooLarge = "it is larger than 128 MiB";
inline constexpr std::string_view kSharedStoreUnreadable = "it could not be read";

// Whether a file may be taken in as profiles nobody but an administrator could have planted: a
// plain file (no reparse point) with one name, owned by a trusted account, that no other account
// may change (PathTrust.h's rule for a file), all read on the handle it is read through.
bool OriginTrusted(const FileOrigin& origin);

class ProfileStore {
  public:
    // A shared storage path names an older store that several users shared: a load that finds
    // no storage file first copies that one's profiles in, if OriginTrusted passes the file
    // (see ImportSharedStore).
    ProfileStore(ISettingsRegistry& registry, IFiles& files, std::string storagePath,
                 std::string keyPath = std::string(kSettingsKeyPath),
                 std::string sharedStoragePath = {});

    // Opens the settings key, creating it when missing; writes nothing. False when the key
    // could not be opened or created (the next load then tries again).
    bool EnsureSettingsKey();

    // Fills the list from the storage file and delivers the index of the entry to select. True
    // when the storage file was there; false when it was missing and the default profile was
    // put in the list in its place (the storage file is then created holding that profile, so
    // that it outlives a start ended before any save). An empty storage file is an empty list.
    bool LoadProfiles(ProfileList& list, std::int32_t& currentIndex);

    // Writes the current index to the registry and the list to the storage file. After a load
    // that was not complete (or before any load), and after a refusal until the next complete
    // load, the storage file and the registry are left alone: the list goes to the first free
    // "<name>.<n>.new" (n from 1), unless it is the list the last such file got, and the save
    // is reported as refused.
    void SaveProfiles(const ProfileList& list, std::int32_t currentIndex);

    const std::string& StoragePath() const { return storagePath_; }
    const std::string& NewPath() const { return newPath_; }
    const std::string& BackupPath() const { return backupPath_; }
    // Whether the last load read every whole record of the storage file, so that the list in
    // memory may replace it. False before the first load.
    bool StorageLoaded() const { return storageLoaded_; }
    // The file the last refused save's list was kept in; empty when none since the load.
    const std::string& RefusedCopyPath() const { return refusedPath_; }
    // Why the last load took nothing in from the older shared store that was there; empty when
    // it took it in, or there was none to take.
    std::string_view SharedStoreRefusal() const { return sharedRefusal_; }
    const std::string& SharedStoragePath() const { return sharedPath_; }

  private:
    enum class Creation { Made, FoundExisting, Failed };

    void RequireAbsolutePath() const;
    std::int32_t ReadCurrentProfile(IRegistryKey& key) const;
    // Makes the storage file holding firstList, only where there is none.
    Creation CreateStorage(const ProfileList& firstList);
    void ImportSharedStore();
    void ReadRecords(ProfileList& list);
    static void WriteRecords(IFile& file, const ProfileList& list);
    [[noreturn]] void RefuseSave(const ProfileList& list);
    void WriteCurrentProfile(std::int32_t currentIndex);
    void ReplaceStorage();
    void ReplaceKeepingBackup();
    bool OnlyTheBackupIsInTheWay();

    ISettingsRegistry& registry_;
    IFiles& files_;
    std::string storagePath_;
    std::string newPath_;
    std::string backupPath_;
    std::string keyPath_;
    std::string sharedPath_;
    std::string_view sharedRefusal_;
    bool storageLoaded_ = false;
    std::string_view refusal_ = kNotLoadedCompletely;
    // The last refused save's file and content since the load.
    std::string refusedPath_;
    std::vector<std::uint8_t> refusedBytes_;
};

} // namespace velt
