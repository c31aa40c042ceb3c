// Windows path names as the program's own files need them: one home for the helpers of the
// store, the driver link and the windows.
#pragma once

#include <algorithm>
#include <cctype>
#include <string>
#include <string_view>

namespace velt {

// Whether two names are the same but for the letter case of their ASCII letters, as Windows
// compares file and folder names.
inline bool SameNameIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char p, char q) {
               return std::tolower(static_cast<unsigned char>(p)) ==
                      std::tolower(static_cast<unsigned char>(q));
           });
}

// Whether the path names one place whatever the current drive and directory: a drive letter
// with a backslash ("C:\...") or a UNC or device name ("\\server\...", "\\?\...").
inline bool IsAbsolutePath(std::string_view path) {
    const auto letter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); };
    if (path.size() >= 3 && letter(path[0]) && path[1] == ':' && path[2] == '\\') {
        return true;
    }
    return path.size() >= 3 && path[0] == '\\' && path[1] == '\\' && path[2] != '\\';
}

// The same path with its extension (the part from the last '.' of the last name) replaced by
// `extension`, or with `extension` added when the last name has none.
inline std::string ChangeFileExt(std::string_view path, const char* extension) {
    const auto dot = path.find_last_of(".\\:");
    std::string result(path);
    if (dot != std::string_view::npos && path[dot] == '.') {
        result.resize(dot);
    }
    return result.append(extension);
}

// The folder part of a path: everything before the last '\' (empty when there is none).
inline std::string ExtractFileDir(std::string_view path) {
    const auto slash = path.rfind('\\');
    return slash == std::string_view::npos ? std::string() : std::string(path.substr(0, slash));
}

// The same up to and including the last '\' (empty when there is none).
inline std::string ExtractFilePath(std::string_view path) {
    const auto slash = path.rfind('\\');
    return slash == std::string_view::npos ? std::string() : std::string(path.substr(0, slash + 1));
}

} // namespace velt
