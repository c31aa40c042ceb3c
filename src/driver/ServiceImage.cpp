#include "driver/ServiceImage.h"

#include "driver/DriverFileCheck.h"
#include "platform/PathNames.h"

namespace velt {

namespace {

bool StartsWithFolded(std::string_view text, std::string_view prefix) {
    return SameNameIgnoringCase(text.substr(0, prefix.size()), prefix);
}

// A full path on a drive that Win32 and the kernel read as the same one file (PathParts).
bool IsOneDriveFile(std::string_view path) {
    const std::vector<std::string> parts = PathParts(path);
    return parts.size() >= 2 && parts[0].size() == 3 && path.back() != '\\';
}

} // namespace

std::string ServiceImageFile(std::string_view imagePath, std::string_view systemFolder) {
    std::string_view path = imagePath;
    if (path.size() >= 2 && path.front() == '"' && path.back() == '"') {
        path = path.substr(1, path.size() - 2);
    }
    // The kernel reads "\SystemRoot\..." and a relative path under the Windows folder, the
    // system folder's parent.
    const std::string windows = ExtractFileDir(systemFolder);
    std::string file;
    if (StartsWithFolded(path, "\\??\\")) {
        file = path.substr(4);
    } else if (StartsWithFolded(path, "\\SystemRoot\\")) {
        file = windows + std::string(path.substr(11));
    } else if (!path.empty() && path.front() != '\\' && path.find(':') == std::string_view::npos) {
        file = windows + "\\" + std::string(path);
    } else {
        file = path;
    }
    return !windows.empty() && IsOneDriveFile(file) ? file : std::string();
}

} // namespace velt
