#include "driver/StandInDriver.h"

#include "driver/OMX_API.h"
#include "driver/OmxModule.h"

#include <algorithm>

namespace velt {

bool IsStandInDescription(std::string_view description) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    return std::search(description.begin(), description.end(), kStandInMark.begin(),
                       kStandInMark.end(),
                       [&](char a, char b) { return lower(a) == b; }) != description.end();
}

bool DriverIsStandIn() {
    IDriverFiles* files = omx::State().files;
    const std::string& image = LoadedDriverImage();
    // A driver whose file cannot be told is never taken for the real one.
    return files == nullptr || image.empty() || IsStandInDescription(files->FileDescription(image));
}

} // namespace velt
