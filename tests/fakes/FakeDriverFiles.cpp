#include "fakes/FakeDriverFiles.h"

#include <algorithm>
#include <cstring>

namespace velt::fakes {

std::vector<std::uint8_t> FakeDriverFiles::PeImage(std::uint16_t machine) {
    std::vector<std::uint8_t> image(0x200, 0);
    image[0] = 'M';
    image[1] = 'Z';
    image[60] = 0x80; // the PE header's offset
    std::memcpy(&image[0x80], "PE\0\0", 4);
    image[0x84] = static_cast<std::uint8_t>(machine);
    image[0x85] = static_cast<std::uint8_t>(machine >> 8U);
    return image;
}

SecuritySummary FakeDriverFiles::AdminsOnly() {
    return {"S-1-5-32-544",
            true,
            {{"S-1-5-18", 0x1F01FF}, {"S-1-5-32-544", 0x1F01FF}, {"S-1-5-32-545", 0x1200A9}}};
}

std::int64_t FakeDriverFiles::ReadFileAt(std::string_view path, std::uint32_t offset, void* buffer,
                                         std::uint32_t size) {
    const auto file = contents.find(std::string(path));
    if (file == contents.end()) {
        return -1;
    }
    const std::vector<std::uint8_t>& bytes = file->second;
    const std::size_t start = std::min<std::size_t>(offset, bytes.size());
    const std::size_t count = std::min<std::size_t>(size, bytes.size() - start);
    std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(start), count,
                static_cast<std::uint8_t*>(buffer));
    return static_cast<std::int64_t>(count);
}

bool FakeDriverFiles::ReadSecurity(std::string_view path, SecuritySummary& out) {
    // A missing file has no rights to read (a name with an extension names a file here).
    const auto dot = path.find_last_of('.');
    if (dot != std::string_view::npos && path.find('\\', dot) == std::string_view::npos &&
        !contents.contains(std::string(path))) {
        return false;
    }
    const auto named = security.find(std::string(path));
    if (named == security.end()) {
        out = defaultSecurity;
        return true;
    }
    if (!named->second) {
        return false;
    }
    out = *named->second;
    return true;
}

} // namespace velt::fakes
