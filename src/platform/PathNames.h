// Windows path names as the program's own files need them.
#pragma once

#include <string_view>

namespace velt {

// Whether the path names one place whatever the current drive and directory: a drive letter
// with a backslash ("C:\...") or a UNC or device name ("\\server\...", "\\?\...").
inline bool IsAbsolutePath(std::string_view path) {
    const auto letter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); };
    if (path.size() >= 3 && letter(path[0]) && path[1] == ':' && path[2] == '\\') {
        return true;
    }
    return path.size() >= 3 && path[0] == '\\' && path[1] == '\\' && path[2] != '\\';
}

} // namespace velt
