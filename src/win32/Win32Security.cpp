#include "win32/Win32Security.h"

#include "driver/DriverFileCheck.h"
#include "driver/PathTrust.h"

namespace velt {

namespace {

// An access entry as the path rule reads it (VeltReadAce). An entry of a kind whose account is
// not read (object, compound, or one that cannot be read) allows everything to an unknown
// account, so that what cannot be read is never trusted, whatever reads it.
AccessEntry EntryOf(const ACE_HEADER* header) {
    char sid[VELT_SID_TEXT_SIZE];
    const VeltAccessRow row = VeltReadAce(header, header->AceSize, nullptr, sid);
    const AceType type{row.type};
    if (sid[0] == 0 && AllowsOnObject({{}, 0, type, row.flags})) {
        return {{}, ~std::uint32_t{0}, type, row.flags};
    }
    return {sid, row.mask, type, row.flags};
}

} // namespace

std::string SidText(PSID sid) {
    char text[VELT_SID_TEXT_SIZE];
    return sid != nullptr && IsValidSid(sid) != FALSE &&
                   VeltSidText(sid, GetLengthSid(sid), text, sizeof text) != 0
               ? std::string(text)
               : std::string();
}

bool SummarizeDescriptor(PSECURITY_DESCRIPTOR descriptor, SecuritySummary& out) {
    PSID owner = nullptr;
    BOOL ownerDefaulted = FALSE;
    BOOL present = FALSE;
    PACL acl = nullptr;
    BOOL aclDefaulted = FALSE;
    if (GetSecurityDescriptorOwner(descriptor, &owner, &ownerDefaulted) == FALSE ||
        GetSecurityDescriptorDacl(descriptor, &present, &acl, &aclDefaulted) == FALSE) {
        return false;
    }
    out.owner = SidText(owner);
    out.hasAccessList = present != FALSE && acl != nullptr;
    out.entries.clear();
    if (out.hasAccessList) {
        ACL_SIZE_INFORMATION sizes{};
        if (GetAclInformation(acl, &sizes, sizeof sizes, AclSizeInformation) == FALSE) {
            return false;
        }
        for (DWORD i = 0; i < sizes.AceCount; ++i) {
            void* ace = nullptr;
            if (GetAce(acl, i, &ace) == FALSE) {
                return false;
            }
            out.entries.push_back(EntryOf(static_cast<const ACE_HEADER*>(ace)));
        }
    }
    return true;
}

} // namespace velt
