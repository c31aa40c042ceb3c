// The shell and process services the program entry and the welcome dialog need: opening a
// document, making a directory, the single-instance mutex and the executable's file name.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace velt {

// Results of waiting for a mutex, as Windows numbers them.
inline constexpr std::uint32_t kWaitObject0 = 0;
inline constexpr std::uint32_t kWaitAbandoned = 0x80;
inline constexpr std::uint32_t kWaitTimeout = 258;
inline constexpr std::uint32_t kWaitFailed = 0xFFFFFFFF;

class IShell {
  public:
    virtual ~IShell() = default;
    // Opens a document with its registered program (verb "open", no owner, no parameters, no
    // directory, shown normally). A relative name is resolved against the current directory. The
    // shell's answer is not reported: a missing document simply opens nothing.
    virtual void OpenDocument(std::string_view file) = 0;
    // Creates one directory level; false when it could not (it exists, the parent is missing...).
    virtual bool MakeDirectory(std::string_view path) = 0;
    // Creates or opens the named mutex (not initially owned) and waits for it up to timeoutMs.
    // Returns the wait result: kWaitObject0, kWaitAbandoned, kWaitTimeout or kWaitFailed (for
    // instance when the mutex could not be created). The mutex is held until the process ends.
    // One that another user made and this one may not even wait for is held by a running copy:
    // kWaitTimeout.
    virtual std::uint32_t AcquireNamedMutex(std::string_view name, std::uint32_t timeoutMs) = 0;
    // The full file name of the running executable, whatever its length; empty when it cannot
    // be had (never a cut one).
    virtual std::string ExecutableName() = 0;
};

} // namespace velt
