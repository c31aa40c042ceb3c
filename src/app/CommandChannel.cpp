#include "app/CommandChannel.h"

#include "driver/DriverFileCheck.h"
#include "driver/PathTrust.h"
#include "platform/PathNames.h"

#include "SharedNames.h"

namespace velt {

namespace {

constexpr std::string_view kProgramImage = "Veltarion.exe";

constexpr std::uint32_t kEventModifyState = 0x0002; // EVENT_MODIFY_STATE: set or reset it
constexpr std::uint32_t kGenericWrite = 0x40000000; // GENERIC_WRITE, which includes that
// The rights that signal an event or hand its control to someone.
constexpr std::uint32_t kSignalOrControlRights = kEventModifyState | kGenericWrite | VELT_DELETE |
                                                 VELT_WRITE_DAC | VELT_WRITE_OWNER |
                                                 VELT_GENERIC_ALL;

bool SameUserAndSession(const ProcessFacts& a, const ProcessFacts& b) {
    return !a.userSid.empty() && a.userSid == b.userSid && a.session && b.session &&
           *a.session == *b.session;
}

// SYSTEM, Administrators and TrustedInstaller: the accounts the installers run as.
bool TrustedAccount(const std::string& sid) {
    const VeltTrust trust = TrustedAccounts(nullptr);
    return VeltTrusts(&trust, sid.c_str()) != 0;
}

} // namespace

std::string CommandPipeName(std::string_view userSid, std::uint32_t session) {
    return "\\\\.\\pipe\\Veltarion-" + std::string(userSid) + "-" + std::to_string(session);
}

bool ClientMayCommand(const ProcessFacts& self, const ProcessFacts& client) {
    return SameUserAndSession(self, client) && self.integrity && client.integrity &&
           *client.integrity >= *self.integrity;
}

bool ServerIsOwnCopy(const ProcessFacts& self, const ProcessFacts& server) {
    if (server.pipeOwnerOnly) {
        return !self.userSid.empty() && server.userSid == self.userSid;
    }
    const std::string_view image = server.image;
    const std::size_t slash = image.find_last_of("\\/");
    const std::string_view name = slash == std::string_view::npos ? image : image.substr(slash + 1);
    return SameUserAndSession(self, server) && SameNameIgnoringCase(name, kProgramImage);
}

bool QuitEventTrusted(const SecuritySummary& event) {
    if (!TrustedAccount(event.owner) || !event.hasAccessList) {
        return false;
    }
    for (const AccessEntry& entry : event.entries) {
        if (AllowsOnObject(entry) && (entry.mask & kSignalOrControlRights) != 0 &&
            !TrustedAccount(entry.trustee)) {
            return false;
        }
    }
    return true;
}

} // namespace velt
