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
    return files != nullptr && !DriverFilePath().empty() &&
           IsStandInDescription(files->FileDescription(DriverFilePath()));
}

} // namespace velt
