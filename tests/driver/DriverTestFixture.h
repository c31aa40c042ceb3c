// Shared setup of the driver link suites: a fresh module bound to an in-memory Windows.
#pragma once

#include "driver/OMX_API.h"
#include "fakes/FakeDriverFiles.h"
#include "fakes/FakeDriverOs.h"
#include "fakes/RecordingMessenger.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace velt {

inline constexpr const char* kTestExe = "C:\\Program Files\\Veltarion\\Veltarion.exe";

class DriverLinkTest : public ::testing::Test {
  protected:
    // Rebinds the module to `os` and `files` as they are now (call after changing the machine's
    // setup).
    void Init(const char* exe = kTestExe) { OmxModuleInit(os, files, exe); }
    void SetUp() override { Init(); }

    // The module's block as the bytes that go to the driver.
    static std::vector<std::uint8_t> BlockBytes() {
        std::vector<std::uint8_t> bytes(sizeof(DriverParamBlock));
        std::memcpy(bytes.data(), &CurrentParamBlock(), bytes.size());
        return bytes;
    }

    fakes::FakeDriverOs os;
    fakes::FakeDriverFiles files;
    fakes::RecordingMessenger messenger;
};

} // namespace velt
