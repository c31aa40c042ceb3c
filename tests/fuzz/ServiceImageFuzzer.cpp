// libFuzzer target: the image path that the service manager records for the driver service,
// which anyone who can change the service's key chooses.
//
// Input: byte 0 picks the system folder, the rest is the image path.
#include <cstdint>
#include <string>
#include <string_view>

#include "FuzzCheck.h"
#include "driver/ServiceImage.h"

namespace {

// A drive path whose folders are the ones it names: "X:\" then parts without '/', "." or "..".
bool IsPlainDrivePath(std::string_view path) {
    const auto letter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); };
    if (path.size() < 3 || !letter(path[0]) || path[1] != ':' || path[2] != '\\' ||
        path.find('/') != std::string_view::npos) {
        return false;
    }
    const std::string text = std::string(path) + "\\";
    return text.find("\\.\\") == std::string::npos && text.find("\\..\\") == std::string::npos;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using velt::fuzz::Check;
    if (size == 0) {
        return 0;
    }
    const std::string_view systemFolders[] = {"C:\\Windows\\System32", "D:\\WINNT\\system32",
                                              "C:\\", "", "\\\\?\\C:\\Windows\\System32"};
    const std::string_view systemFolder = systemFolders[data[0] % std::size(systemFolders)];
    const std::string image(reinterpret_cast<const char*>(data) + 1, size - 1);
    const std::string file = velt::ServiceImageFile(image, systemFolder);
    if (file.empty()) {
        return 0;
    }
    // A file is named only by a full drive path whose parts the folder checks walk as the kernel
    // does, and such a path names itself.
    Check(IsPlainDrivePath(file));
    Check(velt::ServiceImageFile(file, systemFolder) == file);
    return 0;
}
