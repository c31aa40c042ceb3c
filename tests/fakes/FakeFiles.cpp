#include "fakes/FakeFiles.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace velt {

// One open handle of the double.
class FakeFile final : public IFile {
  public:
    FakeFile(FakeFiles& files, int id) : files_(files), id_(id) {}
    ~FakeFile() override { files_.handles_.erase(id_); }
    FakeFile(const FakeFile&) = delete;
    FakeFile& operator=(const FakeFile&) = delete;

    std::uint64_t Size() override {
        return std::max<std::uint64_t>(Data().size(), files_.nodes_.at(Handle().key).reportedSize);
    }
    std::uint64_t Position() override { return position_; }

    void Read(void* data, std::size_t size) override {
        const auto& bytes = Data();
        if (Handle().access != FileAccess::Read && Handle().access != FileAccess::ReadWrite) {
            ThrowStoreError(kErrAccessDenied);
        }
        if (position_ > bytes.size() || bytes.size() - position_ < size) {
            position_ = bytes.size();
            ThrowStoreError(kErrReadBeyondEnd);
        }
        std::memcpy(data, bytes.data() + position_, size);
        position_ += size;
    }

    void Write(const void* data, std::size_t size) override {
        if (Handle().access != FileAccess::ReadWrite) {
            ThrowStoreError(kErrAccessDenied);
        }
        files_.Hit(FakeFiles::Op::Write);
        auto& bytes = files_.nodes_.at(Handle().key).data;
        std::size_t fits = size;
        bool full = false;
        if (files_.capacity_) {
            // Like Windows on a full disk: what fits is written, then the call fails.
            const auto used = files_.BytesUsed();
            const auto current = static_cast<std::int64_t>(bytes.size());
            const auto room = std::max<std::int64_t>(0, *files_.capacity_ - used);
            const std::int64_t allowedEnd = current + room;
            const auto wantedEnd = static_cast<std::int64_t>(position_ + size);
            if (wantedEnd > allowedEnd) {
                full = true;
                fits = static_cast<std::size_t>(
                    std::max<std::int64_t>(0, allowedEnd - static_cast<std::int64_t>(position_)));
            }
        }
        if (position_ + fits > bytes.size()) {
            bytes.resize(position_ + fits);
        }
        if (fits > 0) {
            std::memcpy(bytes.data() + position_, data, fits);
        }
        position_ += fits;
        if (full) {
            ThrowStoreError(kErrDiskFull);
        }
    }

    void Flush() override {
        files_.Hit(FakeFiles::Op::Flush);
        auto& node = files_.nodes_.at(Handle().key);
        node.flushed = node.data;
    }

    FileOrigin Origin() override { return files_.nodes_.at(Handle().key).origin; }

  private:
    const FakeFiles::Handle& Handle() const { return files_.handles_.at(id_); }
    const FakeFiles::Bytes& Data() const { return files_.nodes_.at(Handle().key).data; }

    FakeFiles& files_;
    int id_;
    std::uint64_t position_ = 0;
};

FakeFiles::FakeFiles(FaultClock* clock) : clock_(clock) {
    nodes_["C:"].directory = true;
}

FakeFiles::~FakeFiles() = default;

std::string FakeFiles::Key(std::string_view path) {
    std::string key;
    for (const char c : path) {
        const char up =
            c == '/' ? '\\' : static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        if (up == '\\' && !key.empty() && key.back() == '\\') {
            continue; // repeated separators count as one, as in Win32 paths
        }
        key.push_back(up);
    }
    while (!key.empty() && key.back() == '\\') {
        key.pop_back();
    }
    return key;
}

std::string FakeFiles::ParentKey(const std::string& key) {
    const auto slash = key.rfind('\\');
    return slash == std::string::npos ? std::string() : key.substr(0, slash);
}

void FakeFiles::CheckName(const std::string& key) {
    if (key.empty()) {
        ThrowStoreError(kErrInvalidFilename);
    }
    for (std::size_t i = 0; i < key.size(); ++i) {
        const auto c = static_cast<unsigned char>(key[i]);
        if (c < 32 || std::strchr("<>\"|?*", c) != nullptr || (c == ':' && i != 1)) {
            ThrowStoreError(kErrInvalidFilename);
        }
    }
}

void FakeFiles::Hit(Op op) {
    if (clock_ != nullptr) {
        clock_->Step();
    }
    Fault(op);
}

void FakeFiles::Fault(Op op) {
    const auto it = faults_.find(op);
    if (it == faults_.end()) {
        return;
    }
    if (it->second.countdown < 0) {
        ThrowStoreError(it->second.text);
    }
    if (it->second.countdown > 0 && --it->second.countdown == 0) {
        const std::string text = it->second.text;
        faults_.erase(it);
        ThrowStoreError(text);
    }
}

void FakeFiles::CheckParent(const std::string& key, bool changesEntry) const {
    const auto parent = nodes_.find(ParentKey(key));
    if (parent == nodes_.end() || !parent->second.directory) {
        ThrowStoreError(kErrInvalidFilename); // the path's folder is missing
    }
    if (changesEntry && parent->second.denyWrites) {
        ThrowStoreError(kErrAccessDenied);
    }
}

void FakeFiles::CheckShare(const std::string& key, FileAccess access, FileShare share) const {
    const bool wantsWrite = access == FileAccess::ReadWrite;
    for (const auto& [id, handle] : handles_) {
        if (handle.key != key) {
            continue;
        }
        const bool theyWrite = handle.access == FileAccess::ReadWrite;
        // Our access must be allowed by their share mode, and their access by ours.
        if (handle.share == FileShare::None ||
            (wantsWrite && handle.share != FileShare::ReadWrite) || share == FileShare::None ||
            (theyWrite && share != FileShare::ReadWrite)) {
            ThrowStoreError(kErrAccessDenied);
        }
    }
}

void FakeFiles::CheckNotOpen(const std::string& key) const {
    for (const auto& [id, handle] : handles_) {
        if (handle.key == key) {
            ThrowStoreError(kErrAccessDenied); // sharing violation: nobody shares delete
        }
    }
}

const FakeFiles::Node& FakeFiles::ExistingFile(const std::string& key) const {
    CheckName(key);
    const auto it = nodes_.find(key);
    if (it == nodes_.end()) {
        CheckParent(key, false);
        ThrowStoreError(kErrFileNotFound);
    }
    if (it->second.directory) {
        ThrowStoreError(kErrAccessDenied);
    }
    return it->second;
}

std::int64_t FakeFiles::BytesUsed() const {
    std::int64_t used = 0;
    for (const auto& [key, node] : nodes_) {
        used += static_cast<std::int64_t>(node.data.size());
    }
    return used;
}

std::unique_ptr<IFile> FakeFiles::AddHandle(const std::string& key, FileAccess access,
                                            FileShare share) {
    const int id = nextHandle_++;
    handles_[id] = Handle{key, access, share};
    return std::make_unique<FakeFile>(*this, id);
}

bool FakeFiles::Exists(std::string_view path) {
    const auto it = nodes_.find(Key(path));
    return !misreport_ && it != nodes_.end() && !it->second.directory;
}

std::unique_ptr<IFile> FakeFiles::Create(std::string_view path, FileShare share) {
    const std::string key = Key(path);
    CheckName(key);
    const auto it = nodes_.find(key);
    if (it == nodes_.end()) {
        CheckParent(key, true);
    } else if (it->second.directory || it->second.readOnly) {
        ThrowStoreError(kErrAccessDenied);
    }
    CheckShare(key, FileAccess::ReadWrite, share);
    Hit(Op::Create);
    auto& node = nodes_[key];
    node.data.clear();
    node.flushed.clear();
    return AddHandle(key, FileAccess::ReadWrite, share);
}

std::unique_ptr<IFile> FakeFiles::CreateNew(std::string_view path, FileShare share) {
    const auto it = nodes_.find(Key(path));
    return it == nodes_.end() ? Create(path, share) : nullptr;
}

std::unique_ptr<IFile> FakeFiles::Open(std::string_view path, FileAccess access, FileShare share) {
    const std::string key = Key(path);
    const Node& node = ExistingFile(key);
    if (access == FileAccess::ReadWrite && node.readOnly) {
        ThrowStoreError(kErrAccessDenied);
    }
    CheckShare(key, access, share);
    Fault(Op::Open); // opening changes nothing on disk: not a step
    return AddHandle(key, access, share);
}

void FakeFiles::Copy(std::string_view from, std::string_view to) {
    const std::string src = Key(from);
    const std::string dst = Key(to);
    const Bytes data = ExistingFile(src).data;
    CheckShare(src, FileAccess::Read, FileShare::Read);
    CheckName(dst);
    const auto it = nodes_.find(dst);
    if (it == nodes_.end()) {
        CheckParent(dst, true);
    } else if (it->second.directory || it->second.readOnly) {
        ThrowStoreError(kErrAccessDenied);
    } else {
        CheckShare(dst, FileAccess::ReadWrite, FileShare::None);
    }
    Hit(Op::Copy);
    // Like CopyFileA, not one step: the target is truncated first, then filled; a death in
    // between or a full disk leaves it torn.
    nodes_[dst].data.clear();
    if (clock_ != nullptr) {
        clock_->Step();
    }
    std::size_t fits = data.size();
    if (capacity_) {
        fits = static_cast<std::size_t>(std::clamp<std::int64_t>(
            *capacity_ - BytesUsed(), 0, static_cast<std::int64_t>(data.size())));
    }
    nodes_[dst].data.assign(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(fits));
    if (fits < data.size()) {
        ThrowStoreError(kErrDiskFull);
    }
}

void FakeFiles::Replace(std::string_view replaced, std::string_view replacement,
                        std::string_view backup) {
    const std::string target = Key(replaced);
    const std::string source = Key(replacement);
    const std::string bak = Key(backup);
    const Node& targetNode = ExistingFile(target);
    ExistingFile(source);
    CheckName(bak);
    if (targetNode.readOnly) {
        ThrowStoreError(kErrAccessDenied);
    }
    CheckParent(target, true);
    CheckParent(source, true);
    CheckNotOpen(target);
    CheckNotOpen(source);
    const auto old = nodes_.find(bak);
    if (old != nodes_.end()) {
        if (old->second.directory || old->second.readOnly) {
            ThrowStoreError(kErrAccessDenied);
        }
        CheckNotOpen(bak);
    }
    CheckParent(bak, true);
    Hit(Op::Replace);
    if (interruptReplace_ > 0 && --interruptReplace_ == 0) {
        nodes_[bak] = nodes_.at(target);
        nodes_.erase(target);
        throw ReplaceInterrupted(FileErrorText(kErrorUnableToMoveReplacement2));
    }
    // One step: the backup takes the old content, the target the new, the replacement is gone.
    Node previous = nodes_.at(target);
    Node next = nodes_.at(source);
    next.readOnly = previous.readOnly;
    nodes_[bak] = std::move(previous);
    nodes_[target] = std::move(next);
    nodes_.erase(source);
}

void FakeFiles::MoveReplace(std::string_view from, std::string_view to) {
    const std::string src = Key(from);
    const std::string dst = Key(to);
    ExistingFile(src);
    CheckNotOpen(src);
    CheckParent(src, true);
    CheckName(dst);
    CheckParent(dst, true);
    const auto it = nodes_.find(dst);
    if (it != nodes_.end()) {
        if (it->second.directory || it->second.readOnly) {
            ThrowStoreError(kErrAccessDenied);
        }
        CheckNotOpen(dst);
    }
    Hit(Op::MoveReplace);
    Node moved = std::move(nodes_.at(src));
    nodes_.erase(src);
    nodes_[dst] = std::move(moved);
}

bool FakeFiles::MoveNew(std::string_view from, std::string_view to) {
    if (nodes_.count(Key(to)) != 0) {
        ExistingFile(Key(from));
        return false;
    }
    MoveReplace(from, to);
    return true;
}

void FakeFiles::LoseUnflushedData() {
    for (auto& [key, node] : nodes_) {
        node.data = node.flushed;
    }
}

void FakeFiles::Remove(std::string_view path) {
    const std::string key = Key(path);
    if (ExistingFile(key).readOnly) {
        ThrowStoreError(kErrAccessDenied);
    }
    CheckParent(key, true);
    CheckNotOpen(key);
    Hit(Op::Remove);
    nodes_.erase(key);
}

void FakeFiles::MakeDirectory(std::string_view path) {
    const std::string key = Key(path);
    CheckName(key);
    if (nodes_.count(key) != 0) {
        ThrowStoreError(IoErrorText(kErrorAlreadyExists));
    }
    CheckParent(key, true);
    Hit(Op::MakeDirectory);
    nodes_[key].directory = true;
}

void FakeFiles::SetReadOnly(std::string_view path, bool readOnly) {
    const auto it = nodes_.find(Key(path));
    if (it == nodes_.end()) {
        ThrowStoreError(kErrFileNotFound);
    }
    it->second.readOnly = readOnly;
}

void FakeFiles::AddDirectory(std::string_view path) {
    const std::string key = Key(path);
    if (key.empty()) {
        return;
    }
    AddDirectory(ParentKey(key));
    nodes_[key].directory = true;
}

void FakeFiles::SetOrigin(std::string_view path, const FileOrigin& origin) {
    nodes_.at(Key(path)).origin = origin;
}

void FakeFiles::SetReportedSize(std::string_view path, std::uint64_t size) {
    nodes_.at(Key(path)).reportedSize = size;
}

void FakeFiles::PutFile(std::string_view path, Bytes bytes) {
    const std::string key = Key(path);
    AddDirectory(ParentKey(key));
    Node& node = nodes_[key];
    node.directory = false;
    node.flushed = bytes;
    node.data = std::move(bytes);
}

std::optional<FakeFiles::Bytes> FakeFiles::Contents(std::string_view path) const {
    const auto it = nodes_.find(Key(path));
    if (it == nodes_.end() || it->second.directory) {
        return std::nullopt;
    }
    return it->second.data;
}

bool FakeFiles::DirectoryExists(std::string_view path) const {
    const auto it = nodes_.find(Key(path));
    return it != nodes_.end() && it->second.directory;
}

void FakeFiles::DenyWrites(std::string_view folder, bool deny) {
    nodes_.at(Key(folder)).denyWrites = deny;
}

void FakeFiles::FailNth(Op op, int n, std::string text) {
    faults_[op] = Failure{n, std::move(text)};
}

void FakeFiles::FailAlways(Op op, std::string text) {
    faults_[op] = Failure{-1, std::move(text)};
}

void FakeFiles::ClearFaults() {
    faults_.clear();
    interruptReplace_ = 0;
}

} // namespace velt
