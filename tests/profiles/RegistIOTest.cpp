#include "StoreTestSupport.h"

namespace velt::test {
namespace {

using Op = FakeFiles::Op;

class LoadTest : public StoreTest {};
class SaveTest : public StoreTest {};

TEST_F(LoadTest, FirstStartGivesTheDefaultProfileAndStoresIt) {
    auto store = MakeStore();
    ASSERT_TRUE(store.EnsureSettingsKey());
    EXPECT_FALSE(CurrentProfileValue()) << "the key is made, nothing is written into it";

    ProfileList list;
    std::int32_t index = 77;
    EXPECT_FALSE(store.LoadProfiles(list, index));
    ASSERT_EQ(list.Count(), 1u);
    EXPECT_EQ(list.Text(0), "My Confidential Data");
    EXPECT_EQ(list.Profile(0), MakeDefaultProfile());
    EXPECT_EQ(index, 0);
    EXPECT_EQ(files.Contents(storagePath), FileOf(list));
    EXPECT_FALSE(files.Exists(newPath));
    EXPECT_TRUE(files.DirectoryExists(std::string(kExeDir) + "\\Profiles"));
}

TEST_F(LoadTest, AFirstStartEndedAtAnyStepLeavesTheFirstRunProfileStored) {
    MakeStore().EnsureSettingsKey();
    // The first start dies before each of its steps in turn (then once it is through, with
    // unflushed data lost); the next start has the first-run profile, and has it stored.
    for (std::int64_t step = 1;; ++step) {
        FaultClock deathClock;
        FakeFiles disk(&deathClock);
        disk.AddDirectory(kExeDir);
        ProfileStore first(registry, disk, storagePath);
        ProfileList list;
        std::int32_t index = 0;
        deathClock.DieBeforeStep(step);
        bool through = false;
        try {
            first.LoadProfiles(list, index);
            through = true;
            disk.LoseUnflushedData();
        } catch (const ProcessDeath&) {
        }
        deathClock.Disarm();
        ProfileStore next(registry, disk, storagePath);
        EXPECT_EQ(next.LoadProfiles(list, index), through) << step;
        ASSERT_EQ(Profiles(list), std::vector{MakeDefaultProfile()}) << step;
        EXPECT_EQ(disk.Contents(storagePath), FileOf(list)) << step;
        if (through) {
            break;
        }
    }
}

// The shared file of an older version is taken in once, read only, and only when nobody but an
// administrator could have planted it; otherwise the user starts with the first-run profile and
// the store says why nothing was taken in.
TEST_F(LoadTest, AUserWithoutAStoreStartsWithTheSharedOnesProfilesAndLeavesItAlone) {
    const std::string own = "C:\\Users\\me\\AppData\\Local\\Veltarion\\profiles.omx";
    ProfileList shared;
    FillList(shared, 3, 1);
    const FakeFiles::Bytes whole = FileOf(shared);
    const FakeFiles::Bytes torn(whole.begin(), whole.end() - 1);
    constexpr std::uint64_t kMax = std::uint64_t{128} << 20;
    constexpr std::uint32_t kRead = 0x1200A9;
    const FileOrigin plain{true, 1, false, true, kRead};
    struct Row {
        const char* name;
        const FakeFiles::Bytes& bytes;
        FileOrigin origin;
        std::string_view refusal; // empty: taken in
        std::uint64_t reportedSize = 0;
        Op failing = Op::Create; // with `failure`: the first such call fails
        const char* failure = nullptr;
    };
    const Row rows[] = {
        {"plain", whole, plain, {}},
        {"read-only", whole, plain, {}},
        {"torn", torn, plain, kSharedStoreNotWhole},
        {"empty", {}, plain, kSharedStoreNotWhole},
        {"128 MiB, its data runs out", whole, plain, kSharedStoreUnreadable, kMax},
        {"over 128 MiB", whole, plain, kSharedStoreTooLarge, kMax + kRecordSize},
        {"hard link", whole, {true, 2, false, true, kRead}, kSharedStoreNotTrusted},
        {"reparse point", whole, {true, 1, true, true, kRead}, kSharedStoreNotTrusted},
        {"owned by a user", whole, {true, 1, false, false, kRead}, kSharedStoreNotTrusted},
        {"Users may write", whole, {true, 1, false, true, kRead | 0x2}, kSharedStoreNotTrusted},
        {"Users may append", whole, {true, 1, false, true, kRead | 0x4}, kSharedStoreNotTrusted},
        {"generic write", whole, {true, 1, false, true, 0x40000000}, kSharedStoreNotTrusted},
        {"Users may delete",
         whole,
         {true, 1, false, true, kRead | 0x10000},
         kSharedStoreNotTrusted},
        {"origin unread", whole, {false, 1, false, true, kRead}, kSharedStoreNotTrusted},
        // A copy that fails half-way leaves no file of its own behind, and takes nothing in.
        {"disk full", whole, plain, kSharedStoreUnreadable, 0, Op::Write, "Disk full"},
        {"move refused", whole, plain, kSharedStoreUnreadable, 0, Op::MoveReplace, "Access denied"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        files = FakeFiles{};
        files.AddDirectory("C:\\Users\\me\\AppData\\Local");
        files.PutFile(storagePath, row.bytes);
        files.SetOrigin(storagePath, row.origin);
        files.SetReadOnly(storagePath, std::string_view(row.name) == "read-only");
        files.SetReportedSize(storagePath, row.reportedSize);
        if (row.failure != nullptr) {
            files.FailNth(row.failing, 1, row.failure);
        }
        ProfileStore store(registry, files, own, std::string(kSettingsKeyPath), storagePath);
        store.EnsureSettingsKey();
        ProfileList list;
        std::int32_t index = 0;
        EXPECT_EQ(store.LoadProfiles(list, index), row.refusal.empty());
        EXPECT_EQ(list.Count(), row.refusal.empty() ? 3U : 1U);
        EXPECT_EQ(store.SharedStoreRefusal(), row.refusal);
        EXPECT_EQ(files.Contents(storagePath), row.bytes) << "the shared file is never changed";
        EXPECT_FALSE(files.Contents(ChangeFileExt(own, ".new")));
        // Once the user has a store, the shared one is not read again.
        ProfileList other;
        FillList(other, 5, 7);
        files.SetReadOnly(storagePath, false);
        files.SetReportedSize(storagePath, 0);
        files.PutFile(storagePath, FileOf(other));
        EXPECT_TRUE(store.LoadProfiles(list, index));
        EXPECT_EQ(list.Count(), row.refusal.empty() ? 3U : 1U) << "the first start's stored list";
        EXPECT_EQ(store.SharedStoreRefusal(), "");
    }
}

TEST_F(LoadTest, AStoreOver128MiBIsRefusedUnread) {
    PutStored(2);
    auto store = MakeStore();
    store.EnsureSettingsKey();
    // At the limit the file is read (and this one's bytes run out); past it, nothing is read.
    const std::pair<std::uint64_t, std::string_view> sizes[] = {
        {std::uint64_t{128} << 20, kErrReadBeyondEnd},
        {(std::uint64_t{128} << 20) + 1, kErrStorageTooLarge}};
    for (const auto& [size, error] : sizes) {
        files.SetReportedSize(storagePath, size);
        ProfileList list;
        std::int32_t index = 0;
        EXPECT_EQ(ErrorText([&] { store.LoadProfiles(list, index); }), error) << size;
    }
}

TEST_F(LoadTest, EmptyStorageFileGivesAnEmptyListAndNoWelcome) {
    files.PutFile(storagePath, {});
    auto store = MakeStore();
    store.EnsureSettingsKey();
    ProfileList list;
    list.Append("stale", TProfileObj{});
    std::int32_t index = 5;
    EXPECT_TRUE(store.LoadProfiles(list, index));
    EXPECT_EQ(list.Count(), 0u);
    EXPECT_EQ(index, 0); // no value: 0, which selects nothing in an empty list

    SetCurrentProfileValue(kRegDword, {0xFE, 0xFF, 0xFF, 0xFF}); // -2
    EXPECT_TRUE(store.LoadProfiles(list, index));
    EXPECT_EQ(index, -2);
}

TEST_F(LoadTest, StoredIndexIsDeliveredWhenItNamesAnEntryOrIsNegative) {
    ProfileList saved = PutStored(3);
    auto store = MakeStore();
    store.EnsureSettingsKey();
    ProfileList list;
    std::int32_t index = 99;
    EXPECT_TRUE(store.LoadProfiles(list, index));
    EXPECT_EQ(index, 0) << "missing value";

    const std::pair<std::uint32_t, std::int32_t> cases[] = {
        {5, 0}, {3, 0}, {2, 2}, {0, 0}, {0xFFFFFFFF, -1}, {0x80000000, INT32_MIN}};
    for (const auto& [stored, expected] : cases) {
        registry.OpenKey(kSettingsKeyPath, true)->WriteDword(kCurrentProfileValue, stored);
        EXPECT_TRUE(store.LoadProfiles(list, index));
        EXPECT_EQ(index, expected) << "stored " << stored;
        EXPECT_EQ(list.Count(), 3u);
    }
}

TEST_F(LoadTest, PartialTailLoadsEveryWholeRecordThenFails) {
    ProfileList saved;
    FillList(saved, 2, 1);
    auto bytes = FileOf(saved);
    bytes.resize(1100, 0x41);
    files.PutFile(storagePath, bytes);
    auto store = MakeStore();
    store.EnsureSettingsKey();
    ProfileList list;
    std::int32_t index = 42;
    EXPECT_EQ(ErrorText([&] { store.LoadProfiles(list, index); }), "Read beyond end of file");
    EXPECT_EQ(Profiles(list), Profiles(saved));
    EXPECT_EQ(index, 42) << "the load stopped before delivering an index";
    EXPECT_TRUE(store.StorageLoaded());

    // Every stored profile is in the list, so saving it replaces the damaged file.
    store.SaveProfiles(list, 1);
    EXPECT_EQ(files.Contents(storagePath), FileOf(saved));
    EXPECT_EQ(files.Contents(backupPath), bytes);
}

TEST_F(LoadTest, DamagedRecordsAreCutAndCarried) {
    FakeFiles::Bytes bytes(512, 'x');
    bytes[0] = 120;
    bytes[100] = 0;
    bytes[356] = 255;
    bytes[510] = 0xC3;
    bytes[511] = 0x07;
    files.PutFile(storagePath, bytes);
    auto store = MakeStore();
    store.EnsureSettingsKey();
    ProfileList list;
    std::int32_t index = 0;
    ASSERT_TRUE(store.LoadProfiles(list, index));
    ASSERT_EQ(list.Count(), 1u);
    EXPECT_EQ(list.Profile(0).ProfileName.str(), std::string(99, 'x'));
    EXPECT_EQ(list.Text(0), std::string(99, 'x'));
    EXPECT_TRUE(list.Profile(0).PathList.empty());
    EXPECT_EQ(list.Profile(0).Reserved.size(), 153u);
    EXPECT_EQ(list.Profile(0).CheckFlag, 0xC3);
    EXPECT_EQ(list.Profile(0).CheckByte, 0x07);
}

TEST_F(LoadTest, CurrentProfileOfTheWrongTypeStopsBeforeTheListIsCleared) {
    ProfileList saved = PutStored(2);
    auto store = MakeStore();
    store.EnsureSettingsKey();
    ProfileList list;
    FillList(list, 1, 50);
    std::int32_t index = 7;

    SetCurrentProfileValue(kRegSz, {'1', 0});
    EXPECT_EQ(ErrorText([&] { store.LoadProfiles(list, index); }),
              "Invalid data type for 'CurrentProfile'");
    SetCurrentProfileValue(kRegBinary, {1, 0, 0, 0});
    EXPECT_EQ(ErrorText([&] { store.LoadProfiles(list, index); }),
              "Invalid data type for 'CurrentProfile'");
    SetCurrentProfileValue(kRegDword, {1, 0}); // a DWORD too short to hold a number
    EXPECT_EQ(ErrorText([&] { store.LoadProfiles(list, index); }),
              "Invalid data type for 'CurrentProfile'");
    SetCurrentProfileValue(kRegSz, {'1', '2', '3', '4', 0});
    EXPECT_EQ(ErrorText([&] { store.LoadProfiles(list, index); }),
              "Failed to get data for 'CurrentProfile'");
    SetCurrentProfileValue(kRegDword, {1, 0, 0, 0, 0, 0, 0, 0});
    EXPECT_EQ(ErrorText([&] { store.LoadProfiles(list, index); }),
              "Failed to get data for 'CurrentProfile'");

    EXPECT_EQ(Profiles(list), std::vector<TProfileObj>{SampleProfile(50)});
    EXPECT_EQ(index, 7);
    EXPECT_FALSE(store.StorageLoaded());
}

TEST_F(LoadTest, ReadOnlyStorageFileIsRefusedAndNoDefaultIsMade) {
    ProfileList saved = PutStored(2);
    files.SetReadOnly(storagePath, true);
    auto store = MakeStore();
    store.EnsureSettingsKey();
    ProfileList list;
    FillList(list, 1, 50);
    std::int32_t index = 7;
    EXPECT_EQ(ErrorText([&] { store.LoadProfiles(list, index); }), "File access denied");
    EXPECT_EQ(list.Count(), 0u);
    EXPECT_EQ(index, 7);
}

TEST_F(LoadTest, StorageFileLockedByAnotherHandle) {
    ProfileList saved = PutStored(2);
    auto store = LoadedStore();
    ProfileList list;
    std::int32_t index = 0;
    {
        const auto lock = files.Open(storagePath, FileAccess::Read, FileShare::None);
        EXPECT_EQ(ErrorText([&] { store.LoadProfiles(list, index); }), "File access denied");
        EXPECT_EQ(files.OpenHandles(), 1) << "the failed open left nothing open";
    }
    // The complete load before does not count: the empty list must not replace the stored one.
    EXPECT_EQ(ErrorText([&] { store.SaveProfiles(list, 0); }),
              StorageLeftUnchangedText(RefusedPath(1)));
    EXPECT_EQ(files.Contents(storagePath), FileOf(saved));
    EXPECT_TRUE(store.LoadProfiles(list, index));
    EXPECT_EQ(Profiles(list), Profiles(saved));
}

TEST_F(LoadTest, MissingFolderThatCannotBeMadeReportsInvalidFilenameAfterTheDefault) {
    files.DenyWrites(kExeDir);
    auto store = MakeStore();
    store.EnsureSettingsKey();
    ProfileList list;
    std::int32_t index = 3;
    EXPECT_EQ(ErrorText([&] { store.LoadProfiles(list, index); }), "Invalid filename");
    ASSERT_EQ(list.Count(), 1u);
    EXPECT_EQ(list.Profile(0), MakeDefaultProfile());
    EXPECT_EQ(index, 3);
}

TEST_F(LoadTest, StorageFileThatCannotBeMadeReportsFileNotFound) {
    files.AddDirectory(std::string(kExeDir) + "\\Profiles");
    files.DenyWrites(std::string(kExeDir) + "\\Profiles");
    auto store = MakeStore();
    store.EnsureSettingsKey();
    ProfileList list;
    std::int32_t index = 3;
    EXPECT_EQ(ErrorText([&] { store.LoadProfiles(list, index); }), "File not found");
    EXPECT_EQ(list.Count(), 1u);
}

TEST_F(LoadTest, MissingKeyIsMadeAndStoredProfilesAreStillRead) {
    ProfileList saved = PutStored(2);
    auto store = MakeStore();
    ProfileList list;
    std::int32_t index = 5;
    EXPECT_TRUE(store.LoadProfiles(list, index));
    EXPECT_EQ(Profiles(list), Profiles(saved));
    EXPECT_EQ(index, -1);
    EXPECT_EQ(StoredIndex(), -1);

    // So a save afterwards keeps them.
    store.SaveProfiles(list, -1);
    EXPECT_EQ(files.Contents(storagePath), FileOf(saved));
}

TEST_F(LoadTest, MissingKeyAndMissingFileGiveAnEmptyFileAndNoDefault) {
    auto store = MakeStore();
    ProfileList list;
    std::int32_t index = 5;
    EXPECT_TRUE(store.LoadProfiles(list, index));
    EXPECT_EQ(list.Count(), 0u);
    EXPECT_EQ(index, -1);
    EXPECT_EQ(files.Contents(storagePath), FakeFiles::Bytes{});

    // One that can be neither read nor made is not loaded: the empty list replaces no file that
    // another copy stores later.
    files.Remove(storagePath);
    FakeRegistry fresh;
    ProfileStore again(fresh, files, storagePath);
    files.DenyWrites(std::string(kExeDir) + "\\Profiles");
    EXPECT_TRUE(again.LoadProfiles(list, index));
    files.DenyWrites(std::string(kExeDir) + "\\Profiles", false);
    ProfileList saved = PutStored(2);
    EXPECT_EQ(ErrorText([&] { again.SaveProfiles(list, -1); }),
              StorageLeftUnchangedText(RefusedPath(1)));
    EXPECT_EQ(files.Contents(storagePath), FileOf(saved));
}

TEST_F(LoadTest, RelativeStoragePathIsRefusedBeforeAnythingIsWritten) {
    files.AddDirectory("Profiles"); // where the current directory might resolve it
    ProfileStore store(registry, files, "Profiles\\profiles.omx");
    store.EnsureSettingsKey();
    ProfileList list;
    std::int32_t index = 0;
    EXPECT_EQ(ErrorText([&] { store.LoadProfiles(list, index); }), "Invalid filename");
    EXPECT_EQ(ErrorText([&] { store.SaveProfiles(list, 0); }), "Invalid filename");
    EXPECT_FALSE(files.Exists("Profiles\\profiles.omx"));
    EXPECT_FALSE(CurrentProfileValue());
}

TEST_F(LoadTest, KeyThatCannotBeMadeIsReported) {
    registry.failCreate = true;
    auto store = MakeStore();
    EXPECT_FALSE(store.EnsureSettingsKey());
    ProfileList list;
    std::int32_t index = 5;
    EXPECT_EQ(ErrorText([&] { store.LoadProfiles(list, index); }),
              "Failed to set data for 'CurrentProfile'");
}

TEST_F(SaveTest, SavesRecordsIndexAndRotatesTheBackup) {
    auto store = MakeStore();
    store.EnsureSettingsKey();
    ProfileList list;
    std::int32_t index = 0;
    store.LoadProfiles(list, index); // first start: the default profile, stored

    store.SaveProfiles(list, 0);
    EXPECT_EQ(files.Contents(storagePath), FileOf(list));
    EXPECT_EQ(files.Contents(backupPath), FileOf(list));
    EXPECT_FALSE(files.Exists(newPath));

    ProfileList three;
    FillList(three, 3, 1);
    store.SaveProfiles(three, 2);
    EXPECT_EQ(files.Contents(storagePath)->size(), 1536u);
    EXPECT_EQ(files.Contents(storagePath), FileOf(three));
    EXPECT_EQ(files.Contents(backupPath), FileOf(list)) << "one generation back";
    EXPECT_FALSE(files.Exists(newPath));
    EXPECT_EQ(StoredIndex(), 2);
}

TEST_F(SaveTest, RoundTripKeepsEveryField) {
    ProfileList list;
    FillList(list, 5, 1);
    list.Profile(1).CheckFlag = 0x80; // as a damaged file may carry it
    list.Profile(2).Reserved = std::string(153, 'R');
    list.Profile(3).ProfileName = std::string(99, 'N');
    list.Profile(3).PathList = std::string(255, 'P');
    list.Profile(4).ProfileName = list.Profile(0).ProfileName.str(); // duplicate names
    list.SetText(0, "display text is not stored");
    auto store = LoadedStore();
    store.SaveProfiles(list, 3);

    ProfileList loaded;
    std::int32_t index = 0;
    EXPECT_TRUE(MakeStore().LoadProfiles(loaded, index));
    EXPECT_EQ(Profiles(loaded), Profiles(list));
    EXPECT_EQ(loaded.Text(0), "Profile 1") << "entry texts come from the stored names";
    EXPECT_EQ(index, 3);
}

TEST_F(SaveTest, EmptyListGivesAnEmptyFileAndMinusOne) {
    auto store = LoadedStore();
    store.SaveProfiles(ProfileList{}, -1);
    EXPECT_EQ(files.Contents(storagePath), FakeFiles::Bytes{});
    EXPECT_EQ(StoredIndex(), -1);
    ProfileList loaded;
    std::int32_t index = 0;
    EXPECT_TRUE(MakeStore().LoadProfiles(loaded, index));
    EXPECT_EQ(loaded.Count(), 0u);
    EXPECT_EQ(index, -1);
}

TEST_F(SaveTest, FailedReplaceIsReportedAndKeepsTheNewFile) {
    ProfileList old = PutStored(2);
    auto store = MakeStore();
    store.EnsureSettingsKey();
    ProfileList list;
    std::int32_t index = 0;
    store.LoadProfiles(list, index);
    FillList(list, 3, 10);

    files.SetReadOnly(storagePath, true);
    EXPECT_EQ(ErrorText([&] { store.SaveProfiles(list, 1); }), "File access denied");
    EXPECT_EQ(files.Contents(storagePath), FileOf(old));
    EXPECT_EQ(files.Contents(newPath), FileOf(list)) << "the changes are kept on disk";

    // Once the file may be written again, the next save goes through.
    files.SetReadOnly(storagePath, false);
    store.SaveProfiles(list, 1);
    EXPECT_EQ(files.Contents(storagePath), FileOf(list));
    EXPECT_EQ(files.Contents(backupPath), FileOf(old));
    EXPECT_FALSE(files.Exists(newPath));
}

TEST_F(SaveTest, NewFileThatCannotBeWrittenLeavesStorageAndBackupAlone) {
    ProfileList old = PutStored(2);
    files.PutFile(backupPath, {1, 2, 3});
    auto store = MakeStore();
    store.EnsureSettingsKey();
    ProfileList list;
    std::int32_t index = 0;
    store.LoadProfiles(list, index);
    FillList(list, 200, 10);

    files.SetDiskCapacity(files.BytesUsed() + 3000);
    EXPECT_EQ(ErrorText([&] { store.SaveProfiles(list, 4); }), "Disk full");
    EXPECT_EQ(StoredIndex(), 4) << "the index was written first";
    EXPECT_EQ(files.Contents(storagePath), FileOf(old));
    EXPECT_EQ(files.Contents(backupPath), (FakeFiles::Bytes{1, 2, 3}));

    files.SetDiskCapacity(std::nullopt);
    files.Remove(newPath);
    files.DenyWrites(std::string(kExeDir) + "\\Profiles");
    EXPECT_EQ(ErrorText([&] { store.SaveProfiles(list, 4); }), "File access denied");
    EXPECT_EQ(files.Contents(storagePath), FileOf(old));
}

TEST_F(SaveTest, AfterAnIncompleteLoadTheStorageFileIsLeftUnchanged) {
    ProfileList old = PutStored(3);
    files.PutFile(backupPath, {9});
    auto store = MakeStore();
    store.EnsureSettingsKey();
    SetCurrentProfileValue(kRegSz, {'x', 0});
    ProfileList list; // what the window shows: not the stored profiles
    FillList(list, 1, 40);
    std::int32_t index = 0;
    EXPECT_EQ(ErrorText([&] { store.LoadProfiles(list, index); }),
              "Invalid data type for 'CurrentProfile'");

    // Each refused save keeps its own file; none is overwritten, the registry is not written.
    for (int n = 1; n <= 2; ++n) {
        FillList(list, n, 40 + n);
        EXPECT_EQ(ErrorText([&] { store.SaveProfiles(list, 0); }),
                  "The profiles file was not loaded completely, so it was left unchanged. Your "
                  "profiles were saved to \"" +
                      RefusedPath(n) + "\".");
    }
    // The same list again gets no file of its own; at the limit the message says so.
    EXPECT_EQ(ErrorText([&] { store.SaveProfiles(list, 0); }),
              StorageLeftUnchangedText(RefusedPath(2)));
    EXPECT_FALSE(files.Exists(RefusedPath(3)));
    // Unless the user has removed its copy: then it is written again.
    files.Remove(RefusedPath(2));
    EXPECT_EQ(ErrorText([&] { store.SaveProfiles(list, 0); }),
              StorageLeftUnchangedText(RefusedPath(2)));
    for (int n = 1; n <= 2; ++n) {
        FillList(list, n, 40 + n);
        EXPECT_EQ(files.Contents(RefusedPath(n)), FileOf(list));
    }
    for (int n = 3; n < kMaxRefusedSaves; ++n) {
        files.PutFile(RefusedPath(n), {});
    }
    FillList(list, 3, 50);
    EXPECT_EQ(ErrorText([&] { store.SaveProfiles(list, 0); }),
              StorageLeftUnchangedText(RefusedPath(kMaxRefusedSaves)));
    FillList(list, 4, 50);
    EXPECT_EQ(ErrorText([&] { store.SaveProfiles(list, 0); }),
              NoMoreCopiesText(std::string(kExeDir) + "\\Profiles"));
    EXPECT_EQ(NoMoreCopiesText("C:\\P"),
              "The profiles file was not loaded completely, so it was left unchanged. No more "
              "copies of your profiles can be kept: there are already 999 in \"C:\\P\".");
    EXPECT_EQ(CurrentProfileValue()->type, kRegSz);
    EXPECT_EQ(files.Contents(storagePath), FileOf(old));
    EXPECT_EQ(files.Contents(backupPath), FakeFiles::Bytes{9}) << "the good copy stays backed up";
    EXPECT_FALSE(files.Exists(newPath));

    // A complete load makes saving possible again.
    files.Remove(RefusedPath(1));
    SetCurrentProfileValue(kRegDword, {0, 0, 0, 0});
    EXPECT_TRUE(store.LoadProfiles(list, index));
    store.SaveProfiles(list, 0);
    EXPECT_EQ(files.Contents(storagePath), FileOf(old));
    EXPECT_TRUE(files.Exists(RefusedPath(2)));
}

TEST_F(SaveTest, SaveBeforeAnyLoadDoesNotReplaceAStoredFile) {
    ProfileList old = PutStored(2);
    ProfileList list;
    FillList(list, 1, 9);
    auto store = MakeStore();
    EXPECT_EQ(ErrorText([&] { store.SaveProfiles(list, 0); }),
              StorageLeftUnchangedText(RefusedPath(1)));
    EXPECT_EQ(files.Contents(storagePath), FileOf(old));
}

TEST_F(SaveTest, StorageFileMisreportedAsMissingIsReadAndNeverOverwritten) {
    ProfileList old = PutStored(2);
    auto store = MakeStore();
    store.EnsureSettingsKey();
    files.MisreportAsMissing(true);
    ProfileList list;
    std::int32_t index = 0;
    EXPECT_TRUE(store.LoadProfiles(list, index)) << "no default profile, no welcome";
    EXPECT_EQ(Profiles(list), Profiles(old));
    EXPECT_FALSE(files.Exists(newPath)) << "the first-run file, not moved over it, is gone";
    list.AppendByName(SampleProfile(7));
    EXPECT_EQ(ErrorText([&] { store.SaveProfiles(list, 1); }),
              StorageLeftUnchangedText(RefusedPath(1), kNotTheLoadedFile));
    EXPECT_EQ(files.Contents(storagePath), FileOf(old));
    EXPECT_EQ(files.Contents(RefusedPath(1)), FileOf(list));
    EXPECT_EQ(StoredIndex(), std::nullopt);
    // Refused until the next load, even once the file is seen: it is not the one loaded.
    files.MisreportAsMissing(false);
    PutStored(3);
    const auto stored = files.Contents(storagePath);
    EXPECT_EQ(ErrorText([&] { store.SaveProfiles(list, 1); }),
              "The profiles file on the disk is not the one that was loaded, so it was left "
              "unchanged. Your profiles were saved to \"" +
                  RefusedPath(1) + "\".");
    EXPECT_EQ(files.Contents(storagePath), stored);
    // A new load that stops partway refuses for its own reason.
    SetCurrentProfileValue(kRegSz, {'x', 0});
    EXPECT_FALSE(ErrorText([&] { store.LoadProfiles(list, index); }).empty());
    EXPECT_EQ(ErrorText([&] { store.SaveProfiles(list, 1); }),
              StorageLeftUnchangedText(RefusedPath(2)));
}

TEST_F(SaveTest, SaveAfterTheStorageFileWentAwayMovesTheNewFileIntoPlace) {
    ProfileList list;
    FillList(list, 2, 1);
    auto store = LoadedStore();
    files.Remove(storagePath);
    store.SaveProfiles(list, 1);
    EXPECT_EQ(files.Contents(storagePath), FileOf(list));
    EXPECT_FALSE(files.Exists(newPath));
    EXPECT_FALSE(files.Exists(backupPath));
}

TEST_F(SaveTest, RegistryFailureStopsTheSaveBeforeAnyFile) {
    ProfileList list;
    FillList(list, 2, 1);
    auto store = LoadedStore();
    registry.failWrite = true;
    EXPECT_EQ(ErrorText([&] { store.SaveProfiles(list, 1); }),
              "Failed to set data for 'CurrentProfile'");
    EXPECT_FALSE(files.Exists(newPath));
    ProfileList firstRun;
    firstRun.AppendByName(MakeDefaultProfile());
    EXPECT_EQ(files.Contents(storagePath), FileOf(firstRun));
}

} // namespace
} // namespace velt::test
