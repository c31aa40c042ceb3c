#include "win32/Win32Security.h"

#include <sddl.h>

namespace velt {

namespace {

constexpr BYTE kAllowedCallbackAce = 9; // ACCESS_ALLOWED_CALLBACK_ACE_TYPE
constexpr BYTE kDeniedCallbackAce = 10; // ACCESS_DENIED_CALLBACK_ACE_TYPE

AccessEntry EntryOf(const ACE_HEADER* header) {
    AccessEntry entry;
    entry.inheritOnly = (header->AceFlags & INHERIT_ONLY_ACE) != 0;
    const BYTE type = header->AceType;
    if (type == ACCESS_ALLOWED_ACE_TYPE || type == ACCESS_DENIED_ACE_TYPE ||
        type == kAllowedCallbackAce || type == kDeniedCallbackAce) {
        const auto* ace = reinterpret_cast<const ACCESS_ALLOWED_ACE*>(header);
        entry.trustee = SidText(const_cast<DWORD*>(&ace->SidStart));
        entry.mask = ace->Mask;
        entry.allows = type == ACCESS_ALLOWED_ACE_TYPE || type == kAllowedCallbackAce;
    } else {
        entry.mask = ~DWORD{0};
    }
    return entry;
}

} // namespace

std::string SidText(PSID sid) {
    LPSTR text = nullptr;
    if (sid == nullptr || ConvertSidToStringSidA(sid, &text) == FALSE) {
        return {};
    }
    std::string out(text);
    LocalFree(text);
    return out;
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
