// In-memory double of the settings registry (HKEY_CURRENT_USER only): keys compare without letter
// case, values keep their type and bytes as written, a deleted key's open handles fail to write.
// Faults: refuse to open or create keys, fail writes; the process dying before a write
// (FaultClock).
#pragma once

#include "platform/SettingsRegistry.h"
#include "fakes/FaultClock.h"

#include <map>
#include <string>

namespace velt {

class FakeRegistry final : public ISettingsRegistry {
  public:
    explicit FakeRegistry(FaultClock* clock = nullptr) : clock_(clock) {}

    bool KeyExists(std::string_view path) override;
    std::unique_ptr<IRegistryKey> OpenKey(std::string_view path, bool create) override;
    // Removes the key with everything below it; false when there was nothing to remove.
    bool DeleteTree(std::string_view path);

    // Faults.
    bool failOpen = false;   // OpenKey answers nullptr
    bool failCreate = false; // OpenKey cannot create a missing key
    bool failWrite = false;  // writes fail
    int OpenKeys() const { return openKeys_; }

  private:
    friend class FakeRegistryKey;
    struct Value {
        std::uint32_t type = kRegNone;
        std::vector<std::uint8_t> data;
    };
    using Key = std::map<std::string, Value>;
    static std::string Upper(std::string_view text);

    FaultClock* clock_;
    std::map<std::string, Key> keys_;
    int openKeys_ = 0;
};

} // namespace velt
