// What the driver link reads before it installs the driver file: the file's bytes, its owner and
// access list and those of its folder, the system folder, and whether Windows is 64-bit; and the
// description its version resource gives.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace velt {

// The kind of an access entry as Windows numbers it (ACE_HEADER's AceType; driver/PathTrust.h
// names the ones weighed, VELT_ACE_*): AceType{VELT_ACE_DENIED}. 0 is a plain allowing entry.
enum class AceType : unsigned {};

// One access entry of a file's or folder's access list: its trustee as SID text ("S-1-5-18"),
// its access mask, its kind and its flags (ACE_HEADER's AceFlags). The default is a plain
// allowing entry that applies to the object itself.
struct AccessEntry {
    std::string trustee;
    std::uint32_t mask = 0;
    AceType type{};
    unsigned flags = 0;
};

// A file's or folder's owner and access list, and whether it is a reparse point (a junction,
// mount point or symbolic link). Without an access list (a null DACL) everyone may do
// everything.
struct SecuritySummary {
    std::string owner;
    bool hasAccessList = true;
    std::vector<AccessEntry> entries;
    bool reparsePoint = false;
};

// Paths are read as the kernel names them: on 64-bit Windows, System32 is the real one, not the
// folder a 32-bit program is redirected to.
class IDriverFiles {
  public:
    virtual ~IDriverFiles() = default;

    // Reads up to `size` bytes from `offset` of a file (shared with every other access); the
    // count read (0 past its end), or -1 when the file cannot be opened.
    virtual std::int64_t ReadFileAt(std::string_view path, std::uint32_t offset, void* buffer,
                                    std::uint32_t size) = 0;
    // The owner and access list of a file or folder (GetFileSecurityA) and its reparse point
    // attribute; false when they cannot be read (a missing file, no right to read them, a file
    // system without security).
    virtual bool ReadSecurity(std::string_view path, SecuritySummary& out) = 0;
    // The system folder (GetSystemDirectoryA), without a trailing backslash; empty on failure.
    virtual std::string SystemFolder() = 0;
    // Whether this 32-bit program runs on 64-bit Windows (IsWow64Process, looked up at run
    // time: a Windows without it is 32-bit).
    virtual bool Is64BitWindows() = 0;
    // The FileDescription of the file's version resource, in its first language, at most 255
    // characters; empty without a version resource or without that entry.
    virtual std::string FileDescription(std::string_view path) = 0;
};

} // namespace velt
