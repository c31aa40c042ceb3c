#include "app/ProgramEvents.h"
#include "win32/Win32Commands.h"
#include "win32/Win32Security.h"

#include "SharedNames.h"

#include <aclapi.h>
#include <sddl.h>

namespace velt {

namespace {

// Whether an event that was there before this copy asked for it is the installers': its owner
// and access list as the portable rule wants them.
bool Believed(HANDLE event) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetSecurityInfo(event, SE_KERNEL_OBJECT,
                        OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, nullptr, nullptr,
                        nullptr, nullptr, &descriptor) != ERROR_SUCCESS) {
        return false;
    }
    SecuritySummary summary;
    const bool read = SummarizeDescriptor(descriptor, summary);
    LocalFree(descriptor);
    return read && QuitEventTrusted(summary);
}

} // namespace

HANDLE OpenQuitRequest(IEventLog& log) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (ConvertStringSecurityDescriptorToSecurityDescriptorA(
            shared::kSddlQuitEvent, SDDL_REVISION_1, &descriptor, nullptr) == FALSE) {
        return nullptr;
    }
    SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor, FALSE};
    HANDLE event = CreateEventA(&attributes, TRUE, FALSE, shared::kQuitEvent);
    const DWORD error = GetLastError();
    bool existed = error == ERROR_ALREADY_EXISTS;
    LocalFree(descriptor);
    if (event == nullptr && error == ERROR_ACCESS_DENIED) {
        // Made by someone else, who lets this user wait for it at most.
        event = OpenEventA(SYNCHRONIZE | READ_CONTROL, FALSE, shared::kQuitEvent);
        existed = true;
    }
    if (event != nullptr && existed && !Believed(event)) {
        CloseHandle(event);
        event = nullptr;
    }
    if (event == nullptr) {
        log.Report(QuitEventUntrustedEntry(shared::kQuitEvent));
    }
    return event;
}

} // namespace velt
