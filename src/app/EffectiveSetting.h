// A setting as it applies: per value, a machine policy (REG_DWORD values under
// HKLM\Software\Policies\Veltarion) wins over the user's own choice (a key of HKEY_CURRENT_USER),
// which wins over the machine default (the same key of HKEY_LOCAL_MACHINE, written by the
// installation), which wins over 0. A value that is missing, not a REG_DWORD of four bytes, or out
// of range, counts as not set at its place: the next one applies.
#pragma once

#include "platform/SettingsRegistry.h"

#include <cstdint>
#include <string_view>

namespace velt {

inline constexpr std::string_view kPolicyKeyPath = "Software\\Policies\\Veltarion";

// The registries a setting is looked up in.
struct SettingSources {
    ISettingsRegistry& user;
    MachineRegistry machine;
};

struct EffectiveSetting {
    std::uint32_t value = 0;
    // Set by policy: the user cannot change it.
    bool fixed = false;
};

// The value `name` as it applies, 0 to `max`; `keyPath` names the user's and the machine default's
// key. Never raises, whatever the registries hold.
EffectiveSetting ReadEffectiveSetting(const SettingSources& sources, std::string_view keyPath,
                                      std::string_view name, std::uint32_t max);

} // namespace velt
