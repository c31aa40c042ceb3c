#include "profiles/RegistIO.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "driver/PathTrust.h"
#include "profiles/ProfileRecord.h"
#include "platform/PathNames.h"
#include "profiles/StoragePaths.h"

namespace velt {

namespace {

// Records are read and written in batches: fewer system calls, bounded memory.
constexpr std::size_t kRecordsPerBatch = 128;
// No one keeps a quarter of a million profiles: a larger file is refused before any of it is
// read, rather than leaving the window without an answer for minutes.
constexpr std::uint64_t kMaxStorageBytes = std::uint64_t{128} << 20;

} // namespace

bool OriginTrusted(const FileOrigin& origin) {
    const VeltPathPart part{origin.reparsePoint ? 1 : 0, origin.ownerTrusted ? 1 : 0,
                            origin.untrustedRights};
    return origin.read && origin.links == 1 && VeltJudgeFile(&part) == VELT_PATH_TRUSTED;
}

ProfileStore::ProfileStore(ISettingsRegistry& registry, IFiles& files, std::string storagePath,
                           std::string keyPath, std::string sharedStoragePath)
    : registry_(registry), files_(files), storagePath_(std::move(storagePath)),
      newPath_(ChangeFileExt(storagePath_, ".new")),
      backupPath_(ChangeFileExt(storagePath_, ".bak")), keyPath_(std::move(keyPath)),
      sharedPath_(std::move(sharedStoragePath)) {}

bool ProfileStore::EnsureSettingsKey() {
    return registry_.OpenKey(keyPath_, true) != nullptr;
}

std::int32_t ProfileStore::ReadCurrentProfile(IRegistryKey& key) const {
    const auto value = key.ReadValue(kCurrentProfileValue, sizeof(std::uint32_t));
    if (!value) {
        return 0;
    }
    if (value->size > sizeof(std::uint32_t)) {
        throw StoreError(GetDataFailedText(kCurrentProfileValue));
    }
    const auto raw = DwordOf(*value);
    if (!raw) {
        throw StoreError(InvalidDataTypeText(kCurrentProfileValue));
    }
    return static_cast<std::int32_t>(*raw);
}

void ProfileStore::RequireAbsolutePath() const {
    // A relative name would put the profiles wherever the current directory happens to be.
    if (!IsAbsolutePath(storagePath_)) {
        ThrowStoreError(kErrInvalidFilename);
    }
}

ProfileStore::Creation ProfileStore::CreateStorage(const ProfileList& firstList) {
    // One folder level; failures (an existing folder among them) are of no interest here: a
    // storage file that still cannot be opened is reported by the open that follows.
    try {
        files_.MakeDirectory(ExtractFileDir(storagePath_));
    } catch (const StoreError&) {
    }
    // Only where no file is: one that was misreported as missing, or that another copy made a
    // moment ago, is read rather than emptied.
    if (firstList.Count() == 0) {
        try {
            return files_.CreateNew(storagePath_) ? Creation::Made : Creation::FoundExisting;
        } catch (const StoreError&) {
            return Creation::Failed;
        }
    }
    // Written whole and flushed under the new file's name first, then moved into place: a start
    // that ends at any moment leaves either no storage file (the next start is a first start
    // again) or one that holds the whole list.
    Creation result = Creation::Failed;
    try {
        WriteRecords(*files_.Create(newPath_), firstList);
        result = files_.MoveNew(newPath_, storagePath_) ? Creation::Made : Creation::FoundExisting;
    } catch (const StoreError&) {
    }
    if (result != Creation::Made) {
        try {
            files_.Remove(newPath_);
        } catch (const StoreError&) {
        }
    }
    return result;
}

void ProfileStore::ImportSharedStore() {
    // The shared file is only ever read, and judged on the handle it is read through. One that
    // anybody but an administrator could have planted, that holds no whole records, is too large
    // or cannot be read is left alone, the user starts as on a first start, and the reason is
    // kept for the log.
    if (sharedPath_.empty() || files_.Exists(storagePath_) || !files_.Exists(sharedPath_)) {
        return;
    }
    sharedRefusal_ = kSharedStoreUnreadable;
    try {
        const auto from = files_.Open(sharedPath_, FileAccess::Read, FileShare::Read);
        const std::uint64_t size = from->Size();
        if (!OriginTrusted(from->Origin())) {
            sharedRefusal_ = kSharedStoreNotTrusted;
            return;
        }
        if (size == 0 || size % kRecordSize != 0 || size > kMaxStorageBytes) {
            sharedRefusal_ = size > kMaxStorageBytes ? kSharedStoreTooLarge : kSharedStoreNotWhole;
            return;
        }
        try {
            files_.MakeDirectory(ExtractFileDir(storagePath_));
        } catch (const StoreError&) {
        }
        // Copied whole to the new file first: a copy cut short is never taken for the store.
        {
            const auto to = files_.Create(newPath_);
            std::vector<std::uint8_t> batch;
            while (from->Position() < size) {
                batch.resize(static_cast<std::size_t>(std::min<std::uint64_t>(
                    size - from->Position(), kRecordsPerBatch * kRecordSize)));
                from->Read(batch.data(), batch.size());
                to->Write(batch.data(), batch.size());
            }
            to->Flush();
        }
        if (files_.MoveNew(newPath_, storagePath_)) {
            sharedRefusal_ = {};
            return;
        }
    } catch (const StoreError&) {
    }
    try {
        files_.Remove(newPath_);
    } catch (const StoreError&) {
    }
    if (files_.Exists(storagePath_)) {
        sharedRefusal_ = {}; // another copy made the user's store meanwhile
    }
}

void ProfileStore::ReadRecords(ProfileList& list) {
    const auto file = files_.Open(storagePath_, FileAccess::ReadWrite);
    const std::uint64_t size = file->Size();
    if (size > kMaxStorageBytes) {
        ThrowStoreError(kErrStorageTooLarge);
    }
    // Room for the records up front, but no more than a modest amount on the file's word alone.
    list.Reserve(list.Count() +
                 static_cast<std::size_t>(std::min<std::uint64_t>(size / kRecordSize, 1U << 16)));
    std::vector<std::uint8_t> batch;
    while (file->Position() < size) {
        const std::uint64_t left = size - file->Position();
        const std::uint64_t whole = std::min<std::uint64_t>(left / kRecordSize, kRecordsPerBatch);
        if (whole == 0) {
            // Every whole record is in the list; the tail is less than a record.
            storageLoaded_ = true;
            ThrowStoreError(kErrReadBeyondEnd);
        }
        batch.resize(static_cast<std::size_t>(whole) * kRecordSize);
        file->Read(batch.data(), batch.size());
        for (std::size_t at = 0; at < batch.size(); at += kRecordSize) {
            auto profile = std::make_unique<TProfileObj>();
            DecodeRecordInto(std::span<const std::uint8_t, kRecordSize>(&batch[at], kRecordSize),
                             *profile);
            list.AppendByName(std::move(profile));
        }
    }
    storageLoaded_ = true;
}

bool ProfileStore::LoadProfiles(ProfileList& list, std::int32_t& currentIndex) {
    // Until every whole record has been read, the list is not the stored one.
    storageLoaded_ = false;
    refusal_ = kNotLoadedCompletely;
    refusedPath_.clear();
    refusedBytes_.clear();
    sharedRefusal_ = {};
    RequireAbsolutePath();
    ImportSharedStore();

    if (!registry_.KeyExists(keyPath_)) {
        // The key vanished (or could never be created): make it, select nothing, and still read
        // what is stored, so that a later save does not replace the stored profiles.
        const auto key = registry_.OpenKey(keyPath_, true);
        if (!key) {
            throw StoreError(SetDataFailedText(kCurrentProfileValue));
        }
        key->WriteDword(kCurrentProfileValue, 0xFFFFFFFFU);
        list.Clear();
        // A storage file that can be neither read nor made stays unloaded: a later save must
        // not put the empty list in the place of one that turns up.
        if (files_.Exists(storagePath_) || CreateStorage(ProfileList()) != Creation::Failed) {
            ReadRecords(list);
        }
        currentIndex = -1;
        return true;
    }

    const auto key = registry_.OpenKey(keyPath_, false);
    if (!key) {
        throw StoreError(GetDataFailedText(kCurrentProfileValue));
    }
    std::int32_t index = ReadCurrentProfile(*key);
    list.Clear();
    bool found = true;
    if (!files_.Exists(storagePath_)) {
        // The first-run profile is stored at once, so that a first start ended before any save
        // (the welcome still up) leaves it for the next start.
        ProfileList firstList;
        firstList.AppendByName(MakeDefaultProfile());
        const Creation made = CreateStorage(firstList);
        if (made == Creation::Failed) {
            // Shown all the same; the open below reports why it could not be stored.
            list.AppendByName(MakeDefaultProfile());
        }
        if (made != Creation::FoundExisting) {
            index = 0;
            found = false;
        }
    }
    ReadRecords(list);
    currentIndex = index < static_cast<std::int64_t>(list.Count()) ? index : 0;
    return found;
}

void ProfileStore::WriteRecords(IFile& file, const ProfileList& list) {
    std::vector<std::uint8_t> batch(kRecordsPerBatch * kRecordSize);
    std::size_t filled = 0;
    for (std::size_t i = 0; i < list.Count(); ++i) {
        EncodeRecordInto(list.Profile(i),
                         std::span<std::uint8_t, kRecordSize>(&batch[filled], kRecordSize));
        filled += kRecordSize;
        if (filled == batch.size() || i + 1 == list.Count()) {
            file.Write(batch.data(), filled);
            filled = 0;
        }
    }
    // On the disk before anything refers to it.
    file.Flush();
}

void ProfileStore::RefuseSave(const ProfileList& list) {
    std::vector<std::uint8_t> bytes;
    bytes.reserve(list.Count() * kRecordSize);
    for (std::size_t i = 0; i < list.Count(); ++i) {
        const auto record = EncodeRecord(list.Profile(i));
        bytes.insert(bytes.end(), record.begin(), record.end());
    }
    // Every hide and activation saves: the same list again gets no file of its own.
    if (!refusedPath_.empty() && bytes == refusedBytes_ && files_.Exists(refusedPath_)) {
        throw StoreError(StorageLeftUnchangedText(refusedPath_, refusal_));
    }
    // Each other one does, so that a later one never overwrites a list the user has still to
    // copy.
    for (int n = 1; n <= kMaxRefusedSaves; ++n) {
        const std::string path =
            ChangeFileExt(storagePath_, ("." + std::to_string(n) + ".new").c_str());
        auto file = files_.CreateNew(path);
        if (!file) {
            continue;
        }
        try {
            if (!bytes.empty()) {
                file->Write(bytes.data(), bytes.size());
            }
            file->Flush();
        } catch (const StoreError&) {
            file.reset();
            try {
                files_.Remove(path); // a torn copy is no copy
            } catch (const StoreError&) {
            }
            throw;
        }
        refusedPath_ = path;
        refusedBytes_ = std::move(bytes);
        throw StoreError(StorageLeftUnchangedText(path, refusal_));
    }
    throw StoreError(NoMoreCopiesText(ExtractFileDir(storagePath_), refusal_));
}

void ProfileStore::SaveProfiles(const ProfileList& list, std::int32_t currentIndex) {
    RequireAbsolutePath();
    if (!storageLoaded_) {
        RefuseSave(list);
    }
    const bool replacing = files_.Exists(storagePath_);
    if (replacing) {
        WriteCurrentProfile(currentIndex);
    }
    // The new generation is complete and on the disk before it takes the storage file's place.
    WriteRecords(*files_.Create(newPath_), list);
    if (replacing) {
        ReplaceStorage();
        return;
    }
    // The storage file went away after the load. The new one takes its name, but never over a
    // file that is there after all: that one was not loaded. The index follows the list.
    if (!files_.MoveNew(newPath_, storagePath_)) {
        // A file the load never read: it stays, and so does the refusal until the next load.
        storageLoaded_ = false;
        refusal_ = kNotTheLoadedFile;
        RefuseSave(list);
    }
    WriteCurrentProfile(currentIndex);
}

void ProfileStore::WriteCurrentProfile(std::int32_t currentIndex) {
    const auto key = registry_.OpenKey(keyPath_, true);
    if (!key) {
        throw StoreError(SetDataFailedText(kCurrentProfileValue));
    }
    key->WriteDword(kCurrentProfileValue, static_cast<std::uint32_t>(currentIndex));
}

void ProfileStore::ReplaceKeepingBackup() {
    try {
        files_.Replace(storagePath_, newPath_, backupPath_);
    } catch (const ReplaceInterrupted&) {
        // The storage file is under the backup's name: give it its own back, so that the
        // storage file holds its former content whatever else failed.
        try {
            files_.MoveNew(backupPath_, storagePath_);
        } catch (const StoreError&) {
        }
        throw;
    }
}

bool ProfileStore::OnlyTheBackupIsInTheWay() {
    // The backup cannot be written (read-only, or held by another program) while the storage
    // file can.
    const auto writable = [this](const std::string& path) {
        try {
            files_.Open(path, FileAccess::ReadWrite, FileShare::None);
            return true;
        } catch (const StoreError&) {
            return false;
        }
    };
    return files_.Exists(backupPath_) && writable(storagePath_) && !writable(backupPath_);
}

void ProfileStore::ReplaceStorage() {
    // Replaces the storage file in one step and keeps its previous generation as the backup. A
    // failure leaves the storage file as it was and the ".new" file in place, and is reported.
    try {
        ReplaceKeepingBackup();
        return;
    } catch (const ReplaceInterrupted&) {
        throw;
    } catch (const StoreError&) {
        if (!OnlyTheBackupIsInTheWay()) {
            throw;
        }
    }
    // A backup that cannot be written must not make every save fail: a stale read-only one is
    // removed, and one that stays is left as it is while the storage file is replaced alone.
    try {
        files_.SetReadOnly(backupPath_, false);
        files_.Remove(backupPath_);
    } catch (const StoreError&) {
    }
    if (files_.Exists(backupPath_)) {
        files_.MoveReplace(newPath_, storagePath_);
    } else {
        ReplaceKeepingBackup();
    }
}

} // namespace velt
