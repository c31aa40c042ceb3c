// In-memory files and rights for the driver-file check: files by full name with their bytes, an
// owner and access list for every path, the system folder and the system's bitness.
#pragma once

#include "platform/DriverFiles.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace velt::fakes {

class FakeDriverFiles : public IDriverFiles {
  public:
    // The files that exist, by full name; every other file is missing.
    std::map<std::string, std::vector<std::uint8_t>> contents;
    // Every path but a missing file has the rights of `defaultSecurity` unless `security` names
    // it (nullopt: cannot be read).
    SecuritySummary defaultSecurity = AdminsOnly();
    std::map<std::string, std::optional<SecuritySummary>> security;
    std::string systemFolder = "C:\\WINDOWS\\system32";
    bool windows64 = false;
    // The FileDescription of each file's version resource; none for a file not named.
    std::map<std::string, std::string> descriptions;

    // The headers of a PE image for the given machine.
    static std::vector<std::uint8_t> PeImage(std::uint16_t machine);
    // Owner Administrators, full control for SYSTEM and Administrators, read for Users.
    static SecuritySummary AdminsOnly();

    std::int64_t ReadFileAt(std::string_view path, std::uint32_t offset, void* buffer,
                            std::uint32_t size) override;
    bool ReadSecurity(std::string_view path, SecuritySummary& out) override;
    std::string SystemFolder() override { return systemFolder; }
    bool Is64BitWindows() override { return windows64; }
    std::string FileDescription(std::string_view path) override {
        const auto it = descriptions.find(std::string(path));
        return it == descriptions.end() ? std::string() : it->second;
    }
};

} // namespace velt::fakes
