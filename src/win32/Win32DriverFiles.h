// What the driver link reads of the driver file before installing it, read for real through the
// Win32 API.
#pragma once

#include "platform/DriverFiles.h"

namespace velt {

class Win32DriverFiles : public IDriverFiles {
  public:
    std::int64_t ReadFileAt(std::string_view path, std::uint32_t offset, void* buffer,
                            std::uint32_t size) override;
    bool ReadSecurity(std::string_view path, SecuritySummary& out) override;
    std::string SystemFolder() override;
    bool Is64BitWindows() override;
    std::string FileDescription(std::string_view path) override;
};

} // namespace velt
