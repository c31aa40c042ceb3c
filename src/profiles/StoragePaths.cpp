#include "profiles/StoragePaths.h"

#include <algorithm>

namespace velt {

namespace {

bool IsDriveRoot(std::string_view dir) {
    return dir.size() == 3 && dir[1] == ':' && dir[2] == '\\';
}

std::string WithoutTrailingBackslash(std::string_view dir) {
    std::string out(dir);
    while (!out.empty() && out.back() == '\\' && !IsDriveRoot(out)) {
        out.pop_back();
    }
    return out;
}

bool SameFolder(std::string_view a, std::string_view b) {
    return SameNameIgnoringCase(WithoutTrailingBackslash(a), WithoutTrailingBackslash(b));
}

} // namespace

std::string ProfilesFilePath(std::string_view exeDirectory) {
    return WithoutTrailingBackslash(exeDirectory) + "\\" + shared::kFolderStoreFile;
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
        return {ProfilesFilePath(exeDirectory), {}};
    }
    StoreLocation where{{}, ProfilesFilePath(exeDirectory)};
    if (IsAbsolutePath(localAppData)) {
        where.storagePath = WithoutTrailingBackslash(localAppData) + "\\" + shared::kUserStoreFile;
    }
    return where;
}

} // namespace velt
