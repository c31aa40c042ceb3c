#include "win32/Win32Registry.h"

#include <windows.h>

#include <string>

namespace velt {

namespace {

class Win32RegistryKey final : public IRegistryKey {
  public:
    explicit Win32RegistryKey(HKEY key) : key_(key) {}
    ~Win32RegistryKey() override { RegCloseKey(key_); }
    Win32RegistryKey(const Win32RegistryKey&) = delete;
    Win32RegistryKey& operator=(const Win32RegistryKey&) = delete;

    bool ValueExists(std::string_view name) override {
        return RegQueryValueExA(key_, std::string(name).c_str(), nullptr, nullptr, nullptr,
                                nullptr) == ERROR_SUCCESS;
    }

    std::optional<RegistryValue> ReadValue(std::string_view name, std::size_t capacity) override {
        const std::string valueName(name);
        RegistryValue value;
        std::vector<std::uint8_t> buffer(capacity);
        DWORD type = REG_NONE;
        auto size = static_cast<DWORD>(capacity);
        const LONG result = RegQueryValueExA(key_, valueName.c_str(), nullptr, &type,
                                             capacity > 0 ? buffer.data() : nullptr, &size);
        if (result == ERROR_FILE_NOT_FOUND) {
            return std::nullopt;
        }
        value.type = type;
        value.size = size;
        if (result == ERROR_SUCCESS && size <= capacity) {
            buffer.resize(size);
            value.data = std::move(buffer);
        } else if (result != ERROR_MORE_DATA && !(result == ERROR_SUCCESS && capacity == 0)) {
            throw StoreError(GetDataFailedText(name));
        }
        return value;
    }

    void WriteDword(std::string_view name, std::uint32_t value) override {
        const DWORD data = value;
        if (RegSetValueExA(key_, std::string(name).c_str(), 0, REG_DWORD,
                           reinterpret_cast<const BYTE*>(&data), sizeof data) != ERROR_SUCCESS) {
            throw StoreError(SetDataFailedText(name));
        }
    }

    void WriteRaw(std::string_view name, std::uint32_t type,
                  const std::vector<std::uint8_t>& data) override {
        if (RegSetValueExA(key_, std::string(name).c_str(), 0, type, data.data(),
                           static_cast<DWORD>(data.size())) != ERROR_SUCCESS) {
            throw StoreError(SetDataFailedText(name));
        }
    }

  private:
    HKEY key_;
};

HKEY RootKey(Win32Registry::Root root) {
    return root == Win32Registry::Root::User ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
}

// Reading access in the root's view (32-bit Windows ignores the view flag).
REGSAM ReadAccess(Win32Registry::Root root) {
    return root == Win32Registry::Root::MachineNativeView ? KEY_READ | KEY_WOW64_64KEY : KEY_READ;
}

} // namespace

bool Win32Registry::KeyExists(std::string_view path) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(RootKey(root_), std::string(path).c_str(), 0, ReadAccess(root_), &key) !=
        ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(key);
    return true;
}

std::unique_ptr<IRegistryKey> Win32Registry::OpenKey(std::string_view path, bool create) {
    const std::string name(path);
    HKEY key = nullptr;
    if (root_ != Root::User) {
        // The machine's keys are read, never created or written.
        if (RegOpenKeyExA(RootKey(root_), name.c_str(), 0, ReadAccess(root_), &key) !=
            ERROR_SUCCESS) {
            return nullptr;
        }
        return std::make_unique<Win32RegistryKey>(key);
    }
    const LONG result =
        create ? RegCreateKeyExA(HKEY_CURRENT_USER, name.c_str(), 0, nullptr,
                                 REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key, nullptr)
               : RegOpenKeyExA(HKEY_CURRENT_USER, name.c_str(), 0, KEY_ALL_ACCESS, &key);
    if (result != ERROR_SUCCESS) {
        return nullptr;
    }
    return std::make_unique<Win32RegistryKey>(key);
}

} // namespace velt
