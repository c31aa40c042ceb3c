#include "driver/DriverFileCheck.h"

#include "SharedNames.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "bytes/LittleEndian.h"
#include "platform/PathNames.h"

namespace velt {

namespace {

constexpr std::size_t kDosHeaderSize = 64;
constexpr std::size_t kNewHeaderOffsetField = 60;
constexpr std::uint16_t kMachineI386 = 0x014C;
constexpr std::uint16_t kMachineAmd64 = 0x8664;

// The folder of a full file name; a drive's root keeps its backslash ("C:" alone would name the
// drive's current directory).
std::string FolderOf(std::string_view path) {
    const std::vector<std::string> parts = PathParts(path);
    return parts.size() >= 2 ? parts[parts.size() - 2] : std::string();
}

// Whether no one but the trusted accounts may swap any part of the path down to `path`, nor add
// to the last part when it is a folder (the rule of PathTrust.h). Rights that cannot be read
// protect nothing.
bool PathIsTrusted(IDriverFiles& files, std::string_view path, const VeltTrust& trust) {
    std::vector<VeltPathPart> parts;
    for (const std::string& part : PathParts(path)) {
        SecuritySummary summary;
        if (!files.ReadSecurity(part, summary)) {
            return false;
        }
        parts.push_back(PartFacts(summary, trust));
    }
    return VeltJudgePath(parts.data(), parts.size(), nullptr) == VELT_PATH_TRUSTED;
}

} // namespace

DriverMachine ReadDriverMachine(IDriverFiles& files, std::string_view path) {
    std::array<std::uint8_t, kDosHeaderSize> dos{};
    const std::int64_t got = files.ReadFileAt(path, 0, dos.data(), dos.size());
    if (got < 0) {
        return DriverMachine::Missing;
    }
    if (got != static_cast<std::int64_t>(dos.size()) || dos[0] != 'M' || dos[1] != 'Z') {
        return DriverMachine::NotPe;
    }
    // Past the file's end the read gives fewer bytes: then there is no PE header.
    std::array<std::uint8_t, 6> pe{};
    const std::uint32_t offset = LoadLe32(&dos[kNewHeaderOffsetField]);
    if (files.ReadFileAt(path, offset, pe.data(), pe.size()) !=
            static_cast<std::int64_t>(pe.size()) ||
        pe[0] != 'P' || pe[1] != 'E' || pe[2] != 0 || pe[3] != 0) {
        return DriverMachine::NotPe;
    }
    switch (LoadLe16(&pe[4])) {
    case kMachineI386:
        return DriverMachine::I386;
    case kMachineAmd64:
        return DriverMachine::Amd64;
    default:
        return DriverMachine::Other;
    }
}

VeltTrust TrustedAccounts(const SecuritySummary* systemFolder) {
    VeltTrust trust{};
    VeltTrustInit(&trust);
    if (systemFolder != nullptr) {
        VeltTrustAdd(&trust, systemFolder->owner.c_str());
        for (const AccessEntry& entry : systemFolder->entries) {
            const VeltAccessRow row = RowOf(entry, trust);
            if (VeltRowMakesSystemWriter(&row) != 0) {
                VeltTrustAdd(&trust, entry.trustee.c_str());
            }
        }
    }
    return trust;
}

VeltAccessRow RowOf(const AccessEntry& entry, const VeltTrust& trust) {
    return {static_cast<unsigned>(entry.type), entry.flags,
            VeltTrusts(&trust, entry.trustee.c_str()), entry.mask};
}

bool AllowsOnObject(const AccessEntry& entry) {
    const VeltAccessRow row{static_cast<unsigned>(entry.type), entry.flags, 0, ~std::uint32_t{0}};
    return VeltRowGrants(&row) != 0;
}

VeltPathPart PartFacts(const SecuritySummary& part, const VeltTrust& trust) {
    std::vector<VeltAccessRow> rows;
    rows.reserve(part.entries.size());
    for (const AccessEntry& entry : part.entries) {
        rows.push_back(RowOf(entry, trust));
    }
    // An empty access list grants nothing; only a missing one grants everything.
    return {part.reparsePoint ? 1 : 0, VeltTrusts(&trust, part.owner.c_str()),
            !part.hasAccessList ? VeltUntrustedRights(nullptr, 0)
            : rows.empty()      ? 0U
                                : VeltUntrustedRights(rows.data(), rows.size())};
}

std::vector<std::string> PathParts(std::string_view path) {
    constexpr std::size_t kMaxParts = 128;
    std::array<std::size_t, kMaxParts> ends{};
    const std::size_t count = VeltSplitPath(path.data(), path.size(), 1, ends.data(), ends.size());
    std::vector<std::string> parts;
    for (std::size_t i = 0; i < count; ++i) {
        parts.emplace_back(path.substr(0, ends[i]));
    }
    return parts;
}

std::string DriverFileRefusal(IDriverFiles& files, std::string_view driverFilePath) {
    if (driverFilePath.empty()) {
        return {}; // no path: nothing is ever installed from it
    }
    SecuritySummary systemFolder;
    const std::string systemPath = files.SystemFolder();
    const bool systemRead = !systemPath.empty() && files.ReadSecurity(systemPath, systemFolder);
    const VeltTrust trust = TrustedAccounts(systemRead ? &systemFolder : nullptr);
    // The folder first, where nothing may be added: a service registered for a file still
    // missing there would load whatever someone puts there later.
    const DriverMachine machine = ReadDriverMachine(files, driverFilePath);
    if (!PathIsTrusted(files, FolderOf(driverFilePath), trust) ||
        (machine != DriverMachine::Missing && !PathIsTrusted(files, driverFilePath, trust))) {
        return "The driver file " + std::string(driverFilePath) +
               " can be changed by users who are not administrators, so it is not loaded into "
               "Windows. Move the program to a folder that only administrators can change, such "
               "as Program Files.";
    }

    const bool windows64 = files.Is64BitWindows();
    if (windows64 && machine == DriverMachine::I386) {
        return "This is 64-bit Windows, but " + std::string(shared::kDriverFile) +
               " beside Veltarion.exe is a driver for "
               "32-bit Windows. Install the 64-bit package.";
    }
    if (!windows64 && machine == DriverMachine::Amd64) {
        return "This is 32-bit Windows, but " + std::string(shared::kDriverFile) +
               " beside Veltarion.exe is a driver for "
               "64-bit Windows. Install the 32-bit package.";
    }
    return {};
}

} // namespace velt
