#include "app/Installation.h"

#include "SharedNames.h"

#include <algorithm>

namespace velt {

namespace {

// A folder name no longer than Windows' longest path is all a recorded location may hold.
constexpr std::size_t kMaxRecordedBytes = 32767;

void AddRecord(ISettingsRegistry& machine, std::string_view keyPath, std::string_view valueName,
               std::vector<std::string>& folders) {
    const auto key = machine.OpenKey(keyPath, false);
    const auto value = key ? key->ReadValue(valueName, kMaxRecordedBytes) : std::nullopt;
    if (value && value->type == kRegSz && value->size <= kMaxRecordedBytes) {
        std::string folder(value->data.begin(), value->data.end());
        folder.erase(std::find(folder.begin(), folder.end(), '\0'), folder.end());
        folders.push_back(std::move(folder));
    }
}

} // namespace

std::vector<std::string> RecordedInstallFolders(ISettingsRegistry& machine) {
    std::vector<std::string> folders;
    AddRecord(machine, kUninstallKeyPath, kInstallLocationValue, folders);
    AddRecord(machine, shared::kInstallerKey, shared::kInstallFolderValue, folders);
    return folders;
}

} // namespace velt
