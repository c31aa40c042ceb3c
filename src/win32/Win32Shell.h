// The shell and process services on Windows.
#pragma once

#include "platform/Shell.h"

namespace velt {

class Win32Shell final : public IShell {
  public:
    void OpenDocument(std::string_view file) override;
    bool MakeDirectory(std::string_view path) override;
    MutexState AcquireNamedMutex(std::string_view name, std::uint32_t timeoutMs) override;
    std::string ExecutableName() override;
    std::string LocalAppDataFolder() override;
    std::vector<std::string> InstalledProductFolders(std::string_view upgradeCode) override;
};

} // namespace velt
