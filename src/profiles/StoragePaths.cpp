#include "profiles/StoragePaths.h"

#include <algorithm>

#include "SharedNames.h"
#include "driver/DriverFileCheck.h"

namespace velt {

namespace {

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
        return {ProgramFolderProfilesPath(exeDirectory), {}};
    }
    StoreLocation where{{}, ProgramFolderProfilesPath(exeDirectory)};
    if (IsAbsolutePath(localAppData)) {
        where.storagePath = WithoutTrailingBackslash(localAppData) + "\\" + shared::kUserStoreFile;
    }
    return where;
}

} // namespace velt
