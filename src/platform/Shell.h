// The shell and process services the program entry and the welcome dialog need: opening a
// document, making a directory, the single-instance mutex and the executable's file name.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace velt {

// What became of an attempt to take a named mutex.
enum class MutexState {
    Owned,     // this process now holds it
    Abandoned, // a process that held it ended without letting go; this one holds it now
    Held,      // another process holds it (the wait timed out)
    Denied,    // it could not be created or opened (no right to it, for one)
    OtherKind, // the name belongs to an object of another type (an event, a section...)
    WaitFailed // it was opened, but waiting for it failed
};

class IShell {
  public:
    virtual ~IShell() = default;
    // Opens a document with its registered program (verb "open", no owner, no parameters, no
    // directory, shown normally). A relative name is resolved against the current directory. The
    // shell's answer is not reported: a missing document simply opens nothing.
    virtual void OpenDocument(std::string_view file) = 0;
    // Creates one directory level; false when it could not (it exists, the parent is missing...).
    virtual bool MakeDirectory(std::string_view path) = 0;
    // Creates or opens the named mutex (not initially owned) and waits for it up to timeoutMs;
    // one this process creates lets everyone wait for it and SYSTEM and Administrators do
    // anything with it. One that exists and may not be opened with every right is opened for
    // waiting only. The mutex is held until the process ends.
    virtual MutexState AcquireNamedMutex(std::string_view name, std::uint32_t timeoutMs) = 0;
    // The full file name of the running executable, whatever its length; empty when it cannot
    // be had (never a cut one).
    virtual std::string ExecutableName() = 0;
    // The user's local application data folder (CSIDL_LOCAL_APPDATA); empty when it cannot be
    // had.
    virtual std::string LocalAppDataFolder() = 0;
    // The install folders Windows Installer recorded for the installed products of an upgrade
    // code ("{GUID}"); none when it has none or Windows Installer cannot be asked.
    virtual std::vector<std::string> InstalledProductFolders(std::string_view upgradeCode) = 0;
};

} // namespace velt
