#include "driver/DriverFileCheck.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "bytes/LittleEndian.h"
#include "driver/PathTrust.h"
#include "platform/PathNames.h"

#include "SharedNames.h"

namespace velt {

namespace {

constexpr std::string_view kSystem = shared::kSidSystem;
constexpr std::string_view kAdministrators = shared::kSidAdministrators;
constexpr std::string_view kTrustedInstaller = shared::kSidTrustedInstaller;

constexpr std::size_t kDosHeaderSize = 64;
constexpr std::size_t kNewHeaderOffsetField = 60;
constexpr std::uint16_t kMachineI386 = 0x014C;
constexpr std::uint16_t kMachineAmd64 = 0x8664;

bool Contains(const std::vector<std::string>& list, std::string_view item) {
    return std::find(list.begin(), list.end(), item) != list.end();
}

bool Trusted(std::string_view account, const std::vector<std::string>& systemWriters) {
    return account == kSystem || account == kAdministrators || account == kTrustedInstaller ||
           Contains(systemWriters, account);
}

bool MayChange(const AccessEntry& entry) {
    return entry.allows && !entry.inheritOnly &&
           (VeltFileRights(entry.mask) & VELT_CHANGE_RIGHTS) != 0;
}

// The folder of a full file name; a drive's root keeps its backslash ("C:" alone would name the
// drive's current directory).
std::string FolderOf(std::string_view path) {
    std::string folder = ExtractFileDir(path);
    if (folder.size() == 2 && folder[1] == ':') {
        folder += '\\';
    }
    return folder;
}

// Each folder from the root of the drive or share down to the folder itself: "C:\", "C:\A",
// "C:\A\B"; "\\srv\share\", "\\srv\share\A".
std::vector<std::string> FolderAndAncestors(const std::string& folder) {
    std::size_t root = 3;
    if (folder.rfind("\\\\", 0) == 0) {
        const std::size_t share = folder.find('\\', 2);
        const std::size_t end = share == std::string::npos ? share : folder.find('\\', share + 1);
        root = end == std::string::npos ? folder.size() : end + 1;
    }
    std::vector<std::string> parts{folder.substr(0, root)};
    for (std::size_t at = folder.find('\\', root); at != std::string::npos;
         at = folder.find('\\', at + 1)) {
        parts.push_back(folder.substr(0, at));
    }
    if (folder.size() > root) {
        parts.push_back(folder);
    }
    return parts;
}

// Whether no one but the trusted accounts may swap the folder or any folder above it (the
// ancestor rule of PathTrust.h). Rights that cannot be read protect nothing.
bool PathCannotBeSwapped(IDriverFiles& files, const std::string& folder,
                         const std::vector<std::string>& systemWriters) {
    std::vector<VeltPathPart> parts;
    for (const std::string& part : FolderAndAncestors(folder)) {
        SecuritySummary summary;
        if (!files.ReadSecurity(part, summary)) {
            return false;
        }
        // The root directory of a volume is never a reparse point on Windows; Wine reports one
        // for a drive that maps a Unix mount point (Z:\ for /).
        const bool driveRoot = part.size() == 3 && part[1] == ':';
        VeltPathPart facts{summary.reparsePoint && !driveRoot ? 1 : 0,
                           Trusted(summary.owner, systemWriters) ? 1 : 0, 0};
        facts.untrustedRights = summary.hasAccessList ? 0 : VELT_GENERIC_ALL;
        for (const AccessEntry& e : summary.entries) {
            if (e.allows && !e.inheritOnly && !Trusted(e.trustee, systemWriters)) {
                facts.untrustedRights |= e.mask;
            }
        }
        parts.push_back(facts);
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

std::vector<std::string> SystemFolderWriters(const SecuritySummary& systemFolder) {
    // An account whose SID could not be read (empty) is trusted nowhere.
    std::vector<std::string> writers;
    if (!systemFolder.owner.empty()) {
        writers.push_back(systemFolder.owner);
    }
    for (const AccessEntry& entry : systemFolder.entries) {
        if (MayChange(entry) && !entry.trustee.empty()) {
            writers.push_back(entry.trustee);
        }
    }
    return writers;
}

bool OnlyTrustedMayChange(const SecuritySummary& object,
                          const std::vector<std::string>& systemWriters) {
    const auto trusted = [&](std::string_view account) { return Trusted(account, systemWriters); };
    if (!object.hasAccessList || !trusted(object.owner)) {
        return false; // everyone may do everything, or the owner may give itself any right
    }
    return std::none_of(object.entries.begin(), object.entries.end(),
                        [&](const AccessEntry& e) { return MayChange(e) && !trusted(e.trustee); });
}

std::string DriverFileRefusal(IDriverFiles& files, std::string_view driverFilePath) {
    if (driverFilePath.empty()) {
        return {}; // no path: nothing is ever installed from it
    }
    SecuritySummary systemFolder;
    std::vector<std::string> systemWriters;
    const std::string systemPath = files.SystemFolder();
    if (!systemPath.empty() && files.ReadSecurity(systemPath, systemFolder)) {
        systemWriters = SystemFolderWriters(systemFolder);
    }
    // Rights that cannot be read protect nothing (a file system without security, for one).
    const auto safe = [&](std::string_view path) {
        SecuritySummary summary;
        return files.ReadSecurity(path, summary) && OnlyTrustedMayChange(summary, systemWriters);
    };
    // The folder first: a service registered for a file still missing there would load whatever
    // someone puts there later.
    const DriverMachine machine = ReadDriverMachine(files, driverFilePath);
    const std::string folder = FolderOf(driverFilePath);
    if (!safe(folder) || !PathCannotBeSwapped(files, folder, systemWriters) ||
        (machine != DriverMachine::Missing && !safe(driverFilePath))) {
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
