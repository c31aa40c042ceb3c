// Who may talk to the running copy, and whom a caller may talk to. Both ends of the command pipe
// are judged from facts the system gives about the process at the other end (its token's user,
// session and integrity level, its image); a fact that could not be read refuses.
#pragma once

#include "platform/DriverFiles.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace velt {

// What the system says about one process.
struct ProcessFacts {
    std::string userSid; // its token's user, as "S-1-5-21-..."; empty when it cannot be read
    std::optional<std::uint32_t> session;
    // The RID of its mandatory label (0x2000 medium, 0x3000 high). Absent when it could not be
    // read; 0 for both ends on a system without integrity levels (Windows XP), which makes them
    // equal.
    std::optional<std::uint32_t> integrity;
    std::string image; // the full path of its executable; empty when it cannot be read
    // Set when the system cannot name a pipe's server process (Windows XP): `userSid` is then the
    // pipe's owner, and nothing else is known.
    bool pipeOwnerOnly = false;
};

// The pipe's name for one user in one session: the running copy creates it, a caller opens it.
std::string CommandPipeName(std::string_view userSid, std::uint32_t session);

// Whether the running copy (`self`) takes a command from the client process `client`: the same
// user, the same session, an integrity level at least its own.
bool ClientMayCommand(const ProcessFacts& self, const ProcessFacts& client);

// Whether a caller (`self`) may send a command to the pipe's server `server`: a process of the
// program's own image name, of the same user and session. Where the system cannot name the
// server's process, a pipe owned by the same user.
bool ServerIsOwnCopy(const ProcessFacts& self, const ProcessFacts& server);

// Whether the installers' quit event may be believed when it existed before this copy opened it:
// its owner is SYSTEM or Administrators, it has an access list, and no entry of it lets anyone
// else signal it or change its access list or owner. An owner that could not be read refuses.
bool QuitEventTrusted(const SecuritySummary& event);

} // namespace velt
