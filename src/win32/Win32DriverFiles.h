// What the driver link reads of the driver file before installing it, read for real through the
// Win32 API. On 64-bit Windows every file is read as the kernel names it: the redirection of this
// 32-bit program's System32 to SysWOW64 is off around each read.
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
