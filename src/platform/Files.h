// Files of fixed-size records and the whole-file operations of the profile store.
//
// Every failure is raised as StoreError with one of the user-facing texts of StoreError.h. An
// open file is closed when its object is destroyed, so a failed step leaves nothing open.
// Paths are Windows paths: '\' separates the parts, letter case does not matter.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

#include "platform/StoreError.h"

namespace velt {

enum class FileAccess { Read, ReadWrite };
// What other handles may do with the file while this one is open.
enum class FileShare { None, Read, ReadWrite };

// What an open file tells of who could have made or changed it, read on the handle itself: its
// number of names (hard links), whether it is a reparse point, whether its owner is one of the
// trusted accounts (driver/PathTrust.h: SYSTEM, Administrators, TrustedInstaller, the system
// folder's owner and writers), and what its access list grants the other accounts (file rights,
// generic ones mapped). `read` is false when any of it could not be read.
struct FileOrigin {
    bool read = false;
    std::uint32_t links = 0;
    bool reparsePoint = false;
    bool ownerTrusted = false;
    std::uint32_t untrustedRights = 0;
};

class IFile {
  public:
    virtual ~IFile() = default;
    virtual std::uint64_t Size() = 0;
    virtual std::uint64_t Position() = 0;
    // Reads exactly `size` bytes at the current position; "Read beyond end of file" when fewer
    // are left (the position is then unspecified).
    virtual void Read(void* data, std::size_t size) = 0;
    // Writes exactly `size` bytes at the current position ("Disk full" when the disk is).
    virtual void Write(const void* data, std::size_t size) = 0;
    // Flushes the file's data to the disk.
    virtual void Flush() = 0;
    // Who could have made or changed this file (never throws).
    virtual FileOrigin Origin() = 0;
};

class IFiles {
  public:
    virtual ~IFiles() = default;
    // Whether a file (not a directory) of that name exists.
    virtual bool Exists(std::string_view path) = 0;
    // Creates the file, or truncates it when it exists, and opens it for reading and writing.
    virtual std::unique_ptr<IFile> Create(std::string_view path,
                                          FileShare share = FileShare::Read) = 0;
    // Creates the file only when nothing of that name exists (CREATE_NEW) and opens it for
    // reading and writing; nullptr, with nothing changed, when something of that name exists.
    virtual std::unique_ptr<IFile> CreateNew(std::string_view path,
                                             FileShare share = FileShare::Read) = 0;
    // Opens an existing file at position 0.
    virtual std::unique_ptr<IFile> Open(std::string_view path,
                                        FileAccess access = FileAccess::ReadWrite,
                                        FileShare share = FileShare::Read) = 0;
    // Copies a file over another, replacing it when it exists (CopyFileA).
    virtual void Copy(std::string_view from, std::string_view to) = 0;
    // Puts `replacement` in the place of `replaced` in one step and keeps the former `replaced`
    // as `backup` (replacing an older backup); `replacement` is gone afterwards (ReplaceFileA).
    // On failure nothing has moved, except after ReplaceInterrupted: see there.
    virtual void Replace(std::string_view replaced, std::string_view replacement,
                         std::string_view backup) = 0;
    // Renames a file, replacing the target when it exists, and returns only once the change is
    // on the disk (MoveFileExA with MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH).
    virtual void MoveReplace(std::string_view from, std::string_view to) = 0;
    // The same rename, but only to a name that nothing has: false, with nothing moved, when
    // something of that name exists (MoveFileExA with MOVEFILE_WRITE_THROUGH alone).
    virtual bool MoveNew(std::string_view from, std::string_view to) = 0;
    virtual void Remove(std::string_view path) = 0;
    // Creates one directory level.
    virtual void MakeDirectory(std::string_view path) = 0;
    // Sets or clears the read-only attribute of a file or directory.
    virtual void SetReadOnly(std::string_view path, bool readOnly) = 0;
};

} // namespace velt
