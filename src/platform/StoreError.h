// A failure of a file or registry operation of the profile store. what() is the text the user
// is shown; the application's top-level handler catches it at the edge of every event.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace velt {

class StoreError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// The failure texts, as the user sees them.
inline constexpr std::string_view kErrReadBeyondEnd = "Read beyond end of file";
inline constexpr std::string_view kErrAccessDenied = "File access denied";
inline constexpr std::string_view kErrFileNotFound = "File not found";
inline constexpr std::string_view kErrInvalidFilename = "Invalid filename";
inline constexpr std::string_view kErrDiskFull = "Disk full";

// "Invalid data type for '<name>'": a registry value that is not of the expected type.
inline std::string InvalidDataTypeText(std::string_view valueName) {
    return "Invalid data type for '" + std::string(valueName) + "'";
}
// "Failed to get data for '<name>'": a registry value that cannot be read (too long, gone).
inline std::string GetDataFailedText(std::string_view valueName) {
    return "Failed to get data for '" + std::string(valueName) + "'";
}
// "Failed to set data for '<name>'": a registry value that cannot be written.
inline std::string SetDataFailedText(std::string_view valueName) {
    return "Failed to set data for '" + std::string(valueName) + "'";
}

// Any other failure of a file operation: "I/O error <Windows error code>".
inline constexpr unsigned kErrorAlreadyExists = 183;
inline std::string IoErrorText(unsigned code) {
    return "I/O error " + std::to_string(code);
}

[[noreturn]] inline void ThrowStoreError(std::string_view text) {
    throw StoreError(std::string(text));
}

} // namespace velt
