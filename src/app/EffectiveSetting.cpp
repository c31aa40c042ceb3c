#include "app/EffectiveSetting.h"

#include <optional>

namespace velt {

namespace {

// A REG_DWORD value of exactly four bytes, 0 to max; nothing for anything else, a missing key
// and a read failure included.
std::optional<std::uint32_t> ReadBounded(ISettingsRegistry& registry, std::string_view keyPath,
                                         std::string_view name, std::uint32_t max) {
    try {
        const auto key = registry.OpenKey(keyPath, false);
        const auto value = key ? key->ReadValue(name, sizeof(std::uint32_t)) : std::nullopt;
        const auto n = value ? DwordOf(*value) : std::nullopt;
        return n && *n <= max ? n : std::nullopt;
    } catch (const StoreError&) {
        return std::nullopt;
    }
}

} // namespace

EffectiveSetting ReadEffectiveSetting(const SettingSources& sources, std::string_view keyPath,
                                      std::string_view name, std::uint32_t max) {
    if (const auto policy = ReadBounded(sources.machine.policy, kPolicyKeyPath, name, max)) {
        return {*policy, true};
    }
    for (ISettingsRegistry* registry : {&sources.user, &sources.machine.defaults}) {
        if (const auto value = ReadBounded(*registry, keyPath, name, max)) {
            return {*value, false};
        }
    }
    return {};
}

} // namespace velt
