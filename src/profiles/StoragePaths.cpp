#include "profiles/StoragePaths.h"

namespace velt {

namespace {

bool IsDriveRoot(std::string_view dir) {
    return dir.size() == 3 && dir[1] == ':' && dir[2] == '\\';
}

} // namespace

std::string ProfilesFilePath(std::string_view exeDirectory) {
    std::string dir(exeDirectory);
    while (!dir.empty() && dir.back() == '\\' && !IsDriveRoot(dir)) {
        dir.pop_back();
    }
    return dir + "\\Profiles\\profiles.omx";
}

} // namespace velt
