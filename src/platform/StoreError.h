// A failure of a file or registry operation of the profile store. what() is the text the user
// is shown; the application's top-level handler catches it at the edge of every event.
#pragma once

#include "platform/Error.h"

#include <string>
#include <string_view>

namespace velt {

class StoreError : public Error {
  public:
    using Error::Error;
};

// A replace that failed half-way (ERROR_UNABLE_TO_MOVE_REPLACEMENT_2): the replaced file now
// has the backup's name and the replacement is still under its own. The caller puts the
// replaced file back under its name.
class ReplaceInterrupted : public StoreError {
  public:
    using StoreError::StoreError;
};

// The failure texts, as the user sees them.
inline constexpr std::string_view kErrReadBeyondEnd = "Read beyond end of file";
inline constexpr std::string_view kErrAccessDenied = "File access denied";
inline constexpr std::string_view kErrFileNotFound = "File not found";
inline constexpr std::string_view kErrInvalidFilename = "Invalid filename";
inline constexpr std::string_view kErrDiskFull = "Disk full";
inline constexpr std::string_view kErrStorageTooLarge =
    "The profiles file is larger than 128 MiB, so it was not read";

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
inline constexpr unsigned kErrorFileExists = 80;
inline constexpr unsigned kErrorAlreadyExists = 183;
inline constexpr unsigned kErrorUnableToMoveReplacement2 = 1177;
inline std::string IoErrorText(unsigned code) {
    return "I/O error " + std::to_string(code);
}

// The user-facing text of a Windows error code of a file operation.
inline std::string FileErrorText(unsigned code) {
    switch (code) {
    case 2: // ERROR_FILE_NOT_FOUND
        return std::string(kErrFileNotFound);
    case 3:   // ERROR_PATH_NOT_FOUND
    case 123: // ERROR_INVALID_NAME
    case 161: // ERROR_BAD_PATHNAME
    case 206: // ERROR_FILENAME_EXCED_RANGE
        return std::string(kErrInvalidFilename);
    case 5:    // ERROR_ACCESS_DENIED
    case 19:   // ERROR_WRITE_PROTECT
    case 32:   // ERROR_SHARING_VIOLATION
    case 33:   // ERROR_LOCK_VIOLATION
    case 1175: // ERROR_UNABLE_TO_REMOVE_REPLACED
    case 1176: // ERROR_UNABLE_TO_MOVE_REPLACEMENT
    case 1177: // ERROR_UNABLE_TO_MOVE_REPLACEMENT_2
        return std::string(kErrAccessDenied);
    case 39:  // ERROR_HANDLE_DISK_FULL
    case 112: // ERROR_DISK_FULL
        return std::string(kErrDiskFull);
    case 38: // ERROR_HANDLE_EOF
        return std::string(kErrReadBeyondEnd);
    default:
        return IoErrorText(code);
    }
}

[[noreturn]] inline void ThrowStoreError(std::string_view text) {
    throw StoreError(std::string(text));
}

} // namespace velt
