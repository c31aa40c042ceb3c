// Security descriptors and SIDs as the portable decisions read them.
#pragma once

#include "platform/DriverFiles.h"

#include <windows.h>

#include <string>

namespace velt {

// "S-1-5-18" for a SID; empty when there is none or it cannot be converted.
std::string SidText(PSID sid);

// The owner and access list of a descriptor read with OWNER_ and DACL_SECURITY_INFORMATION; false
// when any part cannot be read. An entry of a kind other than allow or deny counts as allowing
// everything to an unknown account, so that what cannot be read is never trusted.
bool SummarizeDescriptor(PSECURITY_DESCRIPTOR descriptor, SecuritySummary& out);

} // namespace velt
