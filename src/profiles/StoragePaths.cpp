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

std::string ChangeFileExt(std::string_view path, const char* extension) {
    const auto dot = path.find_last_of(".\\:");
    std::string result(path);
    if (dot != std::string_view::npos && path[dot] == '.') {
        result.resize(dot);
    }
    return result.append(extension);
}

std::string ExtractFileDir(std::string_view path) {
    const auto slash = path.rfind('\\');
    return slash == std::string_view::npos ? std::string() : std::string(path.substr(0, slash));
}

} // namespace velt
