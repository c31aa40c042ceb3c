#include "driver/ServiceImage.h"

#include "platform/PathNames.h"

namespace velt {

namespace {

bool StartsWithFolded(std::string_view text, std::string_view prefix) {
    return SameNameIgnoringCase(text.substr(0, prefix.size()), prefix);
}

// A full path on a drive whose parts are what they say: no "." or ".." part and no '/', which
// would make the folders that are checked differ from the ones the kernel walks.
bool IsDrivePath(std::string_view path) {
    if (!IsAbsolutePath(path) || path[1] != ':' || path.find('/') != std::string_view::npos) {
        return false;
    }
    for (std::size_t at = 2; at != std::string_view::npos && at < path.size();) {
        const std::size_t next = path.find('\\', at + 1);
        const std::string_view part = path.substr(
            at + 1, next == std::string_view::npos ? std::string_view::npos : next - at - 1);
        if (part == "." || part == "..") {
            return false;
        }
        at = next;
    }
    return true;
}

} // namespace

std::string ServiceImageFile(std::string_view imagePath, std::string_view systemFolder) {
    std::string_view path = imagePath;
    if (path.size() >= 2 && path.front() == '"' && path.back() == '"') {
        path = path.substr(1, path.size() - 2);
    }
    std::string file;
    if (StartsWithFolded(path, "\\??\\")) {
        file = path.substr(4);
    } else if (StartsWithFolded(path, "\\SystemRoot\\")) {
        file = ExtractFileDir(systemFolder) + std::string(path.substr(11));
    } else if (!path.empty() && path.front() != '\\' && path.find(':') == std::string_view::npos) {
        file = ExtractFileDir(systemFolder) + "\\" + std::string(path);
    } else {
        file = path;
    }
    return IsDrivePath(file) ? file : std::string();
}

} // namespace velt
