// Files of the profile store on Windows: CreateFileA, ReadFile/WriteFile, CopyFileA,
// ReplaceFileA, MoveFileExA, DeleteFileA, CreateDirectoryA, with Windows error codes turned into
// the store's failure texts.
#pragma once

#include "platform/Files.h"

namespace velt {

class Win32Files final : public IFiles {
  public:
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
};

} // namespace velt
