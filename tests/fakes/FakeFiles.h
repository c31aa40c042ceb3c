// In-memory double of the files seam that behaves like Windows: directories must exist, names
// compare without letter case and repeated '\' count as one, read-only files refuse writers, a
// handle's share mode locks others out, an open file cannot be deleted or replaced.
//
// Faults: fail the n-th call of an operation (or every call), a disk that fills up after a
// number of bytes, folders whose entries cannot change (no new, renamed or deleted files, as a
// folder without write permission), the process dying before any step (FaultClock), a replace
// that stops half-way, and files that a query misreports as missing. Data written but not
// flushed is lost when the machine goes down (LoseUnflushedData). The read-only attribute of a
// folder, as on Windows, keeps nothing out.
#pragma once

#include "platform/Files.h"
#include "fakes/FaultClock.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace velt {

class FakeFiles final : public IFiles {
  public:
    using Bytes = std::vector<std::uint8_t>;
    enum class Op { Create, Open, Write, Flush, Copy, Replace, MoveReplace, Remove, MakeDirectory };

    explicit FakeFiles(FaultClock* clock = nullptr);
    ~FakeFiles() override;

    bool Exists(std::string_view path) override;
    std::unique_ptr<IFile> Create(std::string_view path, FileShare share) override;
    std::unique_ptr<IFile> CreateNew(std::string_view path, FileShare share) override;
    std::unique_ptr<IFile> Open(std::string_view path, FileAccess access, FileShare share) override;
    void Copy(std::string_view from, std::string_view to) override;
    void Replace(std::string_view replaced, std::string_view replacement,
                 std::string_view backup) override;
    void MoveReplace(std::string_view from, std::string_view to) override;
    bool MoveNew(std::string_view from, std::string_view to) override;
    void Remove(std::string_view path) override;
    void MakeDirectory(std::string_view path) override;
    void SetReadOnly(std::string_view path, bool readOnly) override;

    // Test set-up and inspection (no steps, no faults).
    void AddDirectory(std::string_view path); // with every missing parent
    void PutFile(std::string_view path, Bytes bytes);
    // What a handle to the file tells of its origin (default: one name, owned by Administrators,
    // no one else may change it).
    void SetOrigin(std::string_view path, const FileOrigin& origin);
    // The file says it is this large (as a sparse file would), though only its data can be read.
    void SetReportedSize(std::string_view path, std::uint64_t size);
    std::optional<Bytes> Contents(std::string_view path) const;
    bool DirectoryExists(std::string_view path) const;
    int OpenHandles() const { return static_cast<int>(handles_.size()); }
    std::int64_t BytesUsed() const;

    // Faults. The n-th call counts from 1 from the moment the fault is set.
    void FailNth(Op op, int n, std::string text);
    void FailAlways(Op op, std::string text);
    void ClearFaults();
    // Writes beyond this many bytes in all files together fail with "Disk full".
    // The folder's entries cannot change any more (or again can).
    void DenyWrites(std::string_view folder, bool deny = true);
    void SetDiskCapacity(std::optional<std::int64_t> bytes) { capacity_ = bytes; }
    // The n-th replace moves the replaced file to the backup name, then fails with
    // ERROR_UNABLE_TO_MOVE_REPLACEMENT_2.
    void InterruptNthReplace(int n) { interruptReplace_ = n; }
    // Every file is reported missing (a failed attribute query on a network folder).
    void MisreportAsMissing(bool on) { misreport_ = on; }
    // The machine went down: every file holds what was last flushed of it.
    void LoseUnflushedData();

  private:
    friend class FakeFile;
    struct Node {
        bool directory = false;
        bool readOnly = false;
        bool denyWrites = false; // folders only
        Bytes data;
        Bytes flushed; // what survives the machine going down
        FileOrigin origin{true, 1, false, true, 0x1200A9};
        std::uint64_t reportedSize = 0;
    };
    struct Handle {
        std::string key;
        FileAccess access;
        FileShare share;
    };
    struct Failure {
        int countdown = 0; // fails when it reaches 0; -1 fails always
        std::string text;
    };

    static std::string Key(std::string_view path);
    static std::string ParentKey(const std::string& key);
    static void CheckName(const std::string& key);
    void Hit(Op op);   // one step, then the fault if one is due
    void Fault(Op op); // the fault alone
    // The folder of `key` exists; with `changesEntry`, its entries may change.
    void CheckParent(const std::string& key, bool changesEntry) const;
    void CheckShare(const std::string& key, FileAccess access, FileShare share) const;
    void CheckNotOpen(const std::string& key) const;
    const Node& ExistingFile(const std::string& key) const;
    std::unique_ptr<IFile> AddHandle(const std::string& key, FileAccess access, FileShare share);

    FaultClock* clock_;
    std::map<std::string, Node> nodes_;
    std::map<int, Handle> handles_;
    int nextHandle_ = 1;
    std::map<Op, Failure> faults_;
    std::optional<std::int64_t> capacity_;
    int interruptReplace_ = 0;
    bool misreport_ = false;
};

} // namespace velt
