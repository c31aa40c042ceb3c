#include "fakes/FakeRegistry.h"

#include <cctype>

namespace velt {

class FakeRegistryKey final : public IRegistryKey {
  public:
    FakeRegistryKey(FakeRegistry& registry, std::string path)
        : registry_(registry), path_(std::move(path)) {
        ++registry_.openKeys_;
    }
    ~FakeRegistryKey() override { --registry_.openKeys_; }
    FakeRegistryKey(const FakeRegistryKey&) = delete;
    FakeRegistryKey& operator=(const FakeRegistryKey&) = delete;

    bool ValueExists(std::string_view name) override { return Find(name) != nullptr; }

    std::optional<RegistryValue> ReadValue(std::string_view name, std::size_t capacity) override {
        const FakeRegistry::Value* value = Find(name);
        if (value == nullptr) {
            return std::nullopt;
        }
        RegistryValue result;
        result.type = value->type;
        result.size = static_cast<std::uint32_t>(value->data.size());
        if (value->data.size() <= capacity) {
            result.data = value->data;
        }
        return result;
    }

    void WriteDword(std::string_view name, std::uint32_t value) override {
        WriteRaw(name, kRegDword,
                 {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
                  static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)});
    }

    void WriteRaw(std::string_view name, std::uint32_t type,
                  const std::vector<std::uint8_t>& data) override {
        const auto key = registry_.keys_.find(path_);
        if (registry_.failWrite || key == registry_.keys_.end()) {
            throw StoreError(SetDataFailedText(name));
        }
        if (registry_.clock_ != nullptr) {
            registry_.clock_->Step();
        }
        key->second[FakeRegistry::Upper(name)] = FakeRegistry::Value{type, data};
    }

  private:
    const FakeRegistry::Value* Find(std::string_view name) const {
        const auto key = registry_.keys_.find(path_);
        if (key == registry_.keys_.end()) {
            return nullptr;
        }
        const auto value = key->second.find(FakeRegistry::Upper(name));
        return value == key->second.end() ? nullptr : &value->second;
    }

    FakeRegistry& registry_;
    std::string path_;
};

std::string FakeRegistry::Upper(std::string_view text) {
    std::string upper;
    for (const char c : text) {
        upper.push_back(static_cast<char>(std::toupper(static_cast<unsigned char>(c))));
    }
    return upper;
}

bool FakeRegistry::KeyExists(std::string_view path) {
    return keys_.count(Upper(path)) != 0;
}

std::unique_ptr<IRegistryKey> FakeRegistry::OpenKey(std::string_view path, bool create) {
    const std::string key = Upper(path);
    if (failOpen || key.empty()) {
        return nullptr;
    }
    if (keys_.count(key) == 0) {
        if (!create || failCreate) {
            return nullptr;
        }
        if (clock_ != nullptr) {
            clock_->Step();
        }
        // The key and every missing parent.
        for (std::size_t slash = key.find('\\'); slash != std::string::npos;
             slash = key.find('\\', slash + 1)) {
            keys_[key.substr(0, slash)];
        }
        keys_[key];
    }
    return std::make_unique<FakeRegistryKey>(*this, key);
}

bool FakeRegistry::DeleteTree(std::string_view path) {
    const std::string key = Upper(path);
    bool removed = false;
    for (auto it = keys_.begin(); it != keys_.end();) {
        if (it->first == key || it->first.starts_with(key + "\\")) {
            it = keys_.erase(it);
            removed = true;
        } else {
            ++it;
        }
    }
    return removed;
}

} // namespace velt
