// The settings registry on Windows: the user's keys under HKEY_CURRENT_USER, opened with full
// access, or the machine's under HKEY_LOCAL_MACHINE, opened for reading only.
#pragma once

#include "platform/SettingsRegistry.h"

namespace velt {

class Win32Registry final : public ISettingsRegistry {
  public:
    enum class Root {
        User,
        // HKEY_LOCAL_MACHINE as this 32-bit program sees it: on 64-bit Windows the 32-bit view,
        // where a 32-bit installation writes the machine defaults.
        Machine32BitView,
        // HKEY_LOCAL_MACHINE in the system's own view, where Group Policy writes its values on
        // 64-bit Windows as well; the same keys as the other on 32-bit Windows.
        MachineNativeView,
    };
    explicit Win32Registry(Root root = Root::User) : root_(root) {}

    bool KeyExists(std::string_view path) override;
    std::unique_ptr<IRegistryKey> OpenKey(std::string_view path, bool create) override;

  private:
    Root root_;
};

} // namespace velt
