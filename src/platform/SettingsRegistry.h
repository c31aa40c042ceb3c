// The settings registry: keys and values under HKEY_CURRENT_USER, and the machine's keys under
// HKEY_LOCAL_MACHINE, which the program only reads.
//
// Failures that the caller cannot decide about are raised as StoreError; questions with a yes or
// no answer (does a key exist, does a value exist) are answered, not raised.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "bytes/LittleEndian.h"
#include "platform/StoreError.h"

namespace velt {

// Value types, as Windows numbers them.
inline constexpr std::uint32_t kRegNone = 0;
inline constexpr std::uint32_t kRegSz = 1;
inline constexpr std::uint32_t kRegBinary = 3;
inline constexpr std::uint32_t kRegDword = 4;

struct RegistryValue {
    std::uint32_t type = kRegNone;
    // The value's whole size in bytes, even when it did not fit the reader's capacity.
    std::uint32_t size = 0;
    // The value's bytes when size <= the capacity asked for; empty otherwise.
    std::vector<std::uint8_t> data;
};

// The number a REG_DWORD value holds (four bytes, little-endian); nothing for a value of another
// type or size.
inline std::optional<std::uint32_t> DwordOf(const RegistryValue& value) {
    if (value.type != kRegDword || value.data.size() != sizeof(std::uint32_t)) {
        return std::nullopt;
    }
    return LoadLe32(value.data.data());
}

// An open key; closing it is its destruction.
class IRegistryKey {
  public:
    virtual ~IRegistryKey() = default;
    virtual bool ValueExists(std::string_view name) = 0;
    // The value's type and size, and its bytes when they fit `capacity`; nullopt when the key
    // has no value of that name.
    virtual std::optional<RegistryValue> ReadValue(std::string_view name, std::size_t capacity) = 0;
    // Writes a REG_DWORD value; StoreError("Failed to set data for '<name>'") on failure.
    virtual void WriteDword(std::string_view name, std::uint32_t value) = 0;
    // Writes a value of any type (for tools and tests that prepare odd values).
    virtual void WriteRaw(std::string_view name, std::uint32_t type,
                          const std::vector<std::uint8_t>& data) = 0;
};

class ISettingsRegistry {
  public:
    virtual ~ISettingsRegistry() = default;
    // Whether the key (a path below the registry's root, parts separated by '\') exists.
    virtual bool KeyExists(std::string_view path) = 0;
    // Opens the key with full access, creating it (and missing parents) when `create` is set;
    // nullptr when it cannot be opened or created. A read-only registry opens keys for reading
    // and never creates one: writes through its keys fail.
    virtual std::unique_ptr<IRegistryKey> OpenKey(std::string_view path, bool create) = 0;
};

// The machine's registry, read only: what an administrator fixed by policy, and the defaults
// for every user that the installation wrote.
struct MachineRegistry {
    ISettingsRegistry& policy;
    ISettingsRegistry& defaults;
};

} // namespace velt
