// Where the profile storage file and its companions live.
//
// A copy that a setup installed keeps each user's profiles in that user's own local application
// data folder: the program folder is shared by every user of the computer, and none of them may
// write there. A portable copy (one no setup recorded) keeps them beside the program.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "SharedNames.h"
#include "platform/PathNames.h"

namespace velt {

// The storage file in the program's folder: the executable's directory without a trailing
// backslash (a root keeps its backslash), then "\Profiles\profiles.omx". A portable copy keeps
// its profiles there; older installed copies shared this one file between all users.
std::string ProgramFolderProfilesPath(std::string_view exeDirectory);

struct StoreLocation {
    // The user's storage file; empty when it cannot be known (the store then refuses to work
    // rather than write where others may).
    std::string storagePath;
    // An older shared storage file whose profiles a user without a store of their own starts
    // with; empty for a portable copy.
    std::string sharedStoragePath;
};

// Whether the folder is one a setup recorded: names compare without letter case and without
// trailing backslashes.
bool IsInstalledFolder(std::string_view exeDirectory, const std::vector<std::string>& installed);

// Where this copy keeps the store: "<localAppData>\Veltarion\profiles.omx" for an installed
// copy, ProgramFolderProfilesPath beside a portable one.
StoreLocation ChooseStoreLocation(std::string_view exeDirectory,
                                  const std::vector<std::string>& installed,
                                  std::string_view localAppData);

} // namespace velt
