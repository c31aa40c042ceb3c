// The shell's documents and folders, as the program entry, the main window and the welcome
// dialog need them: opening a document, making a directory, the executable's file name and the
// user's local application data folder.
#pragma once

#include <string>
#include <string_view>

namespace velt {

class IShell {
  public:
    virtual ~IShell() = default;
    // Opens a document with its registered program (verb "open", no owner, no parameters, no
    // directory, shown normally). A relative name is resolved against the current directory. The
    // shell's answer is not reported: a missing document simply opens nothing.
    virtual void OpenDocument(std::string_view file) = 0;
    // Creates one directory level; false when it could not (it exists, the parent is missing...).
    virtual bool MakeDirectory(std::string_view path) = 0;
    // The full file name of the running executable, whatever its length; empty when it cannot
    // be had (never a cut one).
    virtual std::string ExecutableName() = 0;
    // The user's local application data folder (CSIDL_LOCAL_APPDATA); empty when it cannot be
    // had.
    virtual std::string LocalAppDataFolder() = 0;
};

} // namespace velt
