#include "profiles/StoragePaths.h"

#include <algorithm>

#include "SharedNames.h"
#include "driver/DriverFileCheck.h"

namespace velt {

namespace {

// A folder name no longer than Windows' longest path is all a recorded location may hold.
constexpr std::size_t kMaxRecordedBytes = 32767;

// Whether the folder is the root of a drive or share, which keeps its backslash (PathParts).
bool IsRoot(std::string_view dir) {
    const std::vector<std::string> parts = PathParts(dir);
    return parts.size() == 1 && parts[0].size() == dir.size();
}

std::string WithoutTrailingBackslash(std::string_view dir) {
    std::string out(dir);
    while (!out.empty() && out.back() == '\\' && !IsRoot(out)) {
        out.pop_back();
    }
    return out;
}

bool SameFolder(std::string_view a, std::string_view b) {
    return SameNameIgnoringCase(WithoutTrailingBackslash(a), WithoutTrailingBackslash(b));
}

} // namespace

std::string ProgramFolderProfilesPath(std::string_view exeDirectory) {
    return WithoutTrailingBackslash(exeDirectory) + "\\Profiles\\profiles.omx";
}

bool IsInstalledFolder(std::string_view exeDirectory, const std::vector<std::string>& installed) {
    return !exeDirectory.empty() &&
           std::any_of(installed.begin(), installed.end(),
                       [&](const std::string& folder) { return SameFolder(folder, exeDirectory); });
}

StoreLocation ChooseStoreLocation(std::string_view exeDirectory,
                                  const std::vector<std::string>& installed,
                                  std::string_view localAppData) {
    if (!IsInstalledFolder(exeDirectory, installed)) {
        return {ProgramFolderProfilesPath(exeDirectory), {}};
    }
    StoreLocation where{{}, ProgramFolderProfilesPath(exeDirectory)};
    if (IsAbsolutePath(localAppData)) {
        where.storagePath = WithoutTrailingBackslash(localAppData) + "\\Veltarion\\profiles.omx";
    }
    return where;
}

std::vector<std::string> RecordedInstallFolders(ISettingsRegistry& machine, IShell& shell) {
    std::vector<std::string> folders =
        shell.InstalledProductFolders("{" + std::string(shared::kUpgradeCode) + "}");
    const auto key = machine.OpenKey(kUninstallKeyPath, false);
    const auto value =
        key ? key->ReadValue(kInstallLocationValue, kMaxRecordedBytes) : std::nullopt;
    if (value && value->type == kRegSz && value->size <= kMaxRecordedBytes) {
        std::string folder(value->data.begin(), value->data.end());
        folder.erase(std::find(folder.begin(), folder.end(), '\0'), folder.end());
        folders.push_back(std::move(folder));
    }
    return folders;
}

} // namespace velt
