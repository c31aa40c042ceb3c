#include "profiles/RegistIO.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "profiles/ProfileRecord.h"
#include "profiles/StoragePaths.h"

namespace velt {

namespace {

// Records are read and written in batches: fewer system calls, bounded memory.
constexpr std::size_t kRecordsPerBatch = 128;

} // namespace

ProfileStore::ProfileStore(ISettingsRegistry& registry, IFiles& files, std::string storagePath,
                           std::string keyPath)
    : registry_(registry), files_(files), storagePath_(std::move(storagePath)),
      newPath_(ChangeFileExt(storagePath_, ".new")),
      backupPath_(ChangeFileExt(storagePath_, ".bak")), keyPath_(std::move(keyPath)) {}

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
    if (value->type != kRegDword || value->data.size() != sizeof(std::uint32_t)) {
        throw StoreError(InvalidDataTypeText(kCurrentProfileValue));
    }
    const auto& d = value->data;
    const std::uint32_t raw = d[0] | (d[1] << 8U) | (d[2] << 16U) | (std::uint32_t{d[3]} << 24U);
    return static_cast<std::int32_t>(raw);
}

void ProfileStore::CreateEmptyStorage() {
    // One folder level; failures (an existing folder among them) are of no interest here: a
    // storage file that still cannot be opened is reported by the open that follows.
    try {
        files_.MakeDirectory(ExtractFileDir(storagePath_));
    } catch (const StoreError&) {
    }
    try {
        files_.Create(storagePath_);
    } catch (const StoreError&) {
    }
}

void ProfileStore::ReadRecords(ProfileList& list) {
    const auto file = files_.Open(storagePath_, FileAccess::ReadWrite);
    const std::uint64_t size = file->Size();
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

    if (!registry_.KeyExists(keyPath_)) {
        // The key vanished (or could never be created): make it, select nothing, and still read
        // what is stored, so that a later save does not replace the stored profiles.
        const auto key = registry_.OpenKey(keyPath_, true);
        if (!key) {
            throw StoreError(SetDataFailedText(kCurrentProfileValue));
        }
        key->WriteDword(kCurrentProfileValue, 0xFFFFFFFFU);
        list.Clear();
        if (!files_.Exists(storagePath_)) {
            CreateEmptyStorage();
        }
        ReadRecords(list);
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
        CreateEmptyStorage();
        list.AppendByName(MakeDefaultProfile());
        index = 0;
        found = false;
    }
    ReadRecords(list);
    currentIndex = index < static_cast<std::int64_t>(list.Count()) ? index : 0;
    return found;
}

void ProfileStore::WriteNewFile(const ProfileList& list) {
    const auto file = files_.Create(newPath_);
    std::vector<std::uint8_t> batch(kRecordsPerBatch * kRecordSize);
    std::size_t filled = 0;
    for (std::size_t i = 0; i < list.Count(); ++i) {
        EncodeRecordInto(list.Profile(i),
                         std::span<std::uint8_t, kRecordSize>(&batch[filled], kRecordSize));
        filled += kRecordSize;
        if (filled == batch.size() || i + 1 == list.Count()) {
            file->Write(batch.data(), filled);
            filled = 0;
        }
    }
    file->Flush();
}

void ProfileStore::SaveProfiles(const ProfileList& list, std::int32_t currentIndex) {
    {
        const auto key = registry_.OpenKey(keyPath_, true);
        if (!key) {
            throw StoreError(SetDataFailedText(kCurrentProfileValue));
        }
        key->WriteDword(kCurrentProfileValue, static_cast<std::uint32_t>(currentIndex));
    }

    // The new generation is complete and on the disk before it takes the storage file's place.
    WriteNewFile(list);

    if (!files_.Exists(storagePath_)) {
        files_.MoveReplace(newPath_, storagePath_);
        return;
    }
    if (!storageLoaded_) {
        throw StoreError(StorageLeftUnchangedText(newPath_));
    }
    // Replaces the storage file in one step and keeps its previous generation as the backup. A
    // failure leaves the storage file as it was and the ".new" file in place, and is reported.
    files_.Replace(storagePath_, newPath_, backupPath_);
}

} // namespace velt
