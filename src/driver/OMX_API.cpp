#include "driver/OMX_API.h"

#include "digest/MD5_RC4.h"
#include "digest/SecureWipe.h"
#include "driver/OmxModule.h"
#include "platform/PathNames.h"

#include <algorithm>
#include <cstring>

namespace velt {

namespace omx {

namespace {
Module g_module; // NOLINT(cppcoreguidelines-avoid-non-const-global-variables)
} // namespace

Module& State() {
    return g_module;
}

bool SendRequest(std::uint32_t code, const void* input, std::uint32_t inputSize, void* output,
                 std::uint32_t outputSize) {
    Module& m = State();
    if (m.os == nullptr) {
        return false;
    }
    return m.os->DeviceControl(m.handle, code, input, inputSize, output, outputSize,
                               m.bytesReturned);
}

} // namespace omx

namespace {

// Zeroes the whole field, then copies at most 255 characters, stopping at an embedded zero so
// that every byte after the terminator stays zero.
void StoreString(std::array<char, kParamStringField>& field, std::string_view text) {
    field.fill('\0');
    const std::size_t end = std::min(text.find('\0'), kParamStringMax);
    const std::string_view kept = text.substr(0, end);
    std::copy(kept.begin(), kept.end(), field.begin());
}

} // namespace

void OmxModuleInit(IDriverOs& os, IDriverFiles& files, std::string_view exeFileName) {
    omx::Module& m = omx::State();
    m = omx::Module{};
    m.os = &os;
    m.files = &files;
    m.exeDir = ExtractFilePath(exeFileName);
    // A longer path would be cut and could name another file, a relative one (no executable's
    // name to be had) whatever file the current directory holds: rather install nothing.
    if (IsAbsolutePath(m.exeDir) &&
        m.exeDir.size() + kDriverFileName.size() <= kMaxDriverFilePath) {
        m.driverFilePath = m.exeDir + std::string(kDriverFileName);
    }
}

const std::string& ExeDir() {
    return omx::State().exeDir;
}
const std::string& DriverFilePath() {
    return omx::State().driverFilePath;
}
bool IsNtFamily() {
    return omx::State().isNtFamily;
}
OsHandle DriverHandle() {
    return omx::State().handle;
}
const DriverParamBlock& CurrentParamBlock() {
    return omx::State().block;
}

bool DriverStart(std::string_view pathList, std::string_view auxString, std::string_view password,
                 std::uint32_t mode) {
    DriverParamBlock& block = omx::State().block;
    StoreString(block.PathList, pathList);
    StoreString(block.AuxString, auxString);

    // The digest goes straight into the block; the context is cleared afterwards so that no
    // other copy of password-derived bytes stays behind.
    constexpr std::size_t kMaxLength = 0x7FFFFFFF;
    DigestReset();
    DigestUpdate(password.data(), static_cast<std::int32_t>(std::min(password.size(), kMaxLength)));
    DigestRead(block.KeyDigest.data());
    DigestReset();

    block.Mode = mode;

    const bool accepted = omx::SendRequest(IOCTL_SET_PARAMS, &block, sizeof(block), nullptr, 0);
    // The driver keeps its own copy of the key: the program's goes as soon as the request that
    // carries it returns, accepted or not.
    SecureWipe(block.KeyDigest.data(), block.KeyDigest.size());
    if (!accepted) {
        return false;
    }
    return omx::SendRequest(IOCTL_START, nullptr, 0, nullptr, 0);
}

bool DriverStop() {
    return omx::SendRequest(IOCTL_STOP, nullptr, 0, nullptr, 0);
}

} // namespace velt
