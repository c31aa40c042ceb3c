// The driver link's module state, shared by its source files (not part of its interface).
#pragma once

#include "driver/DriverParamBlock.h"
#include "platform/DriverFiles.h"
#include "platform/DriverOs.h"

#include <cstdint>
#include <string>

namespace velt::omx {

struct Module {
    IDriverOs* os = nullptr;
    IDriverFiles* files = nullptr;
    DriverParamBlock block{};
    OsHandle handle = kInvalidHandle;
    std::string exeDir;
    std::string driverFilePath;
    // The file of the driver that runs, once known (LoadedDriverImage).
    std::string loadedImage;
    bool isNtFamily = false;
    std::uint32_t bytesReturned = 0; // received by every request, never read
};

Module& State();

// DeviceIoControl on the module's device handle; false when no OS is bound.
bool SendRequest(std::uint32_t code, const void* input, std::uint32_t inputSize, void* output,
                 std::uint32_t outputSize);

} // namespace velt::omx
