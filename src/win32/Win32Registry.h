// The settings registry on Windows: keys under HKEY_CURRENT_USER, opened with full access.
#pragma once

#include "platform/SettingsRegistry.h"

namespace velt {

class Win32Registry final : public ISettingsRegistry {
  public:
    bool KeyExists(std::string_view path) override;
    std::unique_ptr<IRegistryKey> OpenKey(std::string_view path, bool create) override;
};

} // namespace velt
