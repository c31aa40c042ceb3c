// Every way a save can fail or be cut short: afterwards a load gives exactly the old list or
// exactly the new one, and nothing saved before is lost.
#include "StoreTestSupport.h"

namespace velt::test {
namespace {

using Op = FakeFiles::Op;

struct Scenario {
    int oldCount; // -1: no storage file yet (first save)
    int newCount;
};

class SaveFaultSweep : public StoreTest, public ::testing::WithParamInterface<Scenario> {
  protected:
    void SetUp() override {
        files.AddDirectory(std::string(kExeDir) + "\\Profiles");
        MakeStore().EnsureSettingsKey();
        if (GetParam().oldCount >= 0) {
            FillList(oldList, GetParam().oldCount, 1);
            ProfileList older; // some earlier generation
            FillList(older, 1, 60);
            olderBytes = FileOf(older);
            files.PutFile(storagePath, olderBytes);
            auto store = MakeStore();
            store.EnsureSettingsKey();
            ProfileList loaded;
            std::int32_t index = 0;
            store.LoadProfiles(loaded, index);
            store.SaveProfiles(oldList, 0); // old = storage file, older = backup
        }
        FillList(newList, GetParam().newCount, 100);
        baseline_ = Snapshot();
    }

    struct DiskState {
        std::optional<FakeFiles::Bytes> storage, backup, fresh;
    };
    DiskState Snapshot() const {
        return {files.Contents(storagePath), files.Contents(backupPath), files.Contents(newPath)};
    }
    void Restore(const DiskState& state) {
        for (const auto& [path, bytes] :
             {std::pair{storagePath, state.storage}, std::pair{backupPath, state.backup},
              std::pair{newPath, state.fresh}}) {
            if (files.Exists(path)) {
                files.SetReadOnly(path, false);
                files.Remove(path);
            }
            if (bytes) {
                files.PutFile(path, *bytes);
            }
        }
        files.ClearFaults();
        files.SetDiskCapacity(std::nullopt);
        clock.Disarm();
    }

    // Saves through a store that has loaded the old list, with whatever fault is armed.
    // Returns true when the save reported success.
    bool SaveWithFault(const std::function<void()>& arm) {
        auto store = LoadedStore();
        if (GetParam().oldCount < 0) {
            files.Remove(storagePath); // gone since the load
        }
        arm();
        bool ok = false;
        try {
            store.SaveProfiles(newList, 1);
            ok = true;
        } catch (const StoreError&) {
        } catch (const ProcessDeath&) {
        }
        // Then the machine goes down: what was not flushed is lost.
        files.LoseUnflushedData();
        files.ClearFaults();
        files.SetDiskCapacity(std::nullopt);
        clock.Disarm();
        return ok;
    }

    // What a fresh process finds afterwards.
    void ExpectOldOrNew(bool saveReportedSuccess, const std::string& what, bool backupKept = true) {
        SCOPED_TRACE(what);
        ProfileList loaded;
        std::int32_t index = 0;
        auto store = MakeStore();
        bool found = false;
        ASSERT_NO_THROW(found = store.LoadProfiles(loaded, index));
        const bool isNew = files.Contents(storagePath) == FileOf(newList);
        const bool isOld = GetParam().oldCount >= 0 ? files.Contents(storagePath) == FileOf(oldList)
                                                    : !found || loaded.Count() == 0;
        EXPECT_TRUE(isNew || isOld);
        if (isNew && GetParam().oldCount >= 0) {
            EXPECT_EQ(Profiles(loaded), Profiles(newList));
            // The list saved before is now the backup.
            EXPECT_EQ(files.Contents(backupPath), FileOf(oldList));
        }
        if (saveReportedSuccess) {
            EXPECT_TRUE(isNew) << "a save that reports success has replaced the storage file";
            EXPECT_FALSE(files.Exists(newPath));
        } else if (!isNew && GetParam().oldCount >= 0) {
            EXPECT_EQ(Profiles(loaded), Profiles(oldList));
            EXPECT_TRUE(!backupKept || files.Contents(backupPath) == baseline_.backup)
                << "backup untouched";
        }
        // A save after the failure (a later close of the window) still gets the list through.
        loaded.Clear();
        store.LoadProfiles(loaded, index);
        ASSERT_NO_THROW(store.SaveProfiles(newList, 0));
        EXPECT_EQ(files.Contents(storagePath), FileOf(newList));
        EXPECT_FALSE(files.Exists(newPath));
    }

    int CallsInACleanSave(Op op) {
        // Counts calls by failing the n-th one until a save no longer fails.
        int n = 1;
        for (;; ++n) {
            const bool ok = SaveWithFault([&] { files.FailNth(op, n, "probe"); });
            Restore(baseline_);
            if (ok) {
                return n - 1;
            }
        }
    }

    ProfileList oldList;
    ProfileList newList;
    FakeFiles::Bytes olderBytes;
    DiskState baseline_;
};

TEST_P(SaveFaultSweep, FailEachCallOfEveryOperation) {
    for (const Op op :
         {Op::Create, Op::Write, Op::Flush, Op::Copy, Op::Replace, Op::MoveReplace, Op::Remove}) {
        const int calls = CallsInACleanSave(op);
        for (int n = 1; n <= calls; ++n) {
            const bool ok = SaveWithFault([&] { files.FailNth(op, n, "File access denied"); });
            EXPECT_FALSE(ok);
            ExpectOldOrNew(ok, "operation " + std::to_string(static_cast<int>(op)) + " call " +
                                   std::to_string(n));
            Restore(baseline_);
        }
    }
    // A replace that stops half-way, the storage file already under the backup's name.
    for (int n = 1; n <= CallsInACleanSave(Op::Replace); ++n) {
        EXPECT_FALSE(SaveWithFault([&] { files.InterruptNthReplace(n); }));
        // Windows has already moved the storage file over the older backup by then.
        ExpectOldOrNew(false, "replace interrupted, call " + std::to_string(n), false);
        Restore(baseline_);
    }
}

TEST_P(SaveFaultSweep, DiskFullAtEveryRecord) {
    const std::int64_t base = files.BytesUsed() - (baseline_.fresh ? baseline_.fresh->size() : 0);
    for (int records = 0; records <= GetParam().newCount; ++records) {
        for (const int extra : {0, 1, 511}) {
            const bool ok = SaveWithFault(
                [&] { files.SetDiskCapacity(base + std::int64_t{records} * 512 + extra); });
            ExpectOldOrNew(ok, "room for " + std::to_string(records) + " records + " +
                                   std::to_string(extra));
            Restore(baseline_);
        }
    }
}

TEST_P(SaveFaultSweep, ProcessDiesBeforeEveryStep) {
    // A clean save first, to count its steps.
    EXPECT_TRUE(SaveWithFault([&] { clock.DieBeforeStep(0); }));
    const std::int64_t steps = clock.Steps();
    Restore(baseline_);
    ASSERT_GT(steps, 2);
    for (std::int64_t k = 1; k <= steps + 1; ++k) {
        const bool ok = SaveWithFault([&] { clock.DieBeforeStep(k); });
        EXPECT_EQ(ok, k == steps + 1);
        ExpectOldOrNew(ok, "death before step " + std::to_string(k));
        Restore(baseline_);
    }
}

INSTANTIATE_TEST_SUITE_P(Lists, SaveFaultSweep,
                         ::testing::Values(Scenario{3, 4}, Scenario{2, 0}, Scenario{0, 3},
                                           Scenario{-1, 2}, Scenario{5, 140}),
                         [](const auto& info) {
                             const auto& s = info.param;
                             return (s.oldCount < 0 ? std::string("None")
                                                    : std::to_string(s.oldCount)) +
                                    "To" + std::to_string(s.newCount);
                         });

} // namespace
} // namespace velt::test
