// The facts the command channel's decisions rest on, read from the system: a process's token (its
// user, session and integrity level) and image.
#pragma once

#include "app/CommandChannel.h"

#include <windows.h>

namespace velt {

// The facts of a token opened with TOKEN_QUERY; the image stays empty.
ProcessFacts TokenFacts(HANDLE token);
// The facts of a process, its image included; what cannot be read stays empty.
ProcessFacts ProcessFactsOf(DWORD processId);
// This process's own facts.
ProcessFacts OwnProcessFacts();

} // namespace velt
