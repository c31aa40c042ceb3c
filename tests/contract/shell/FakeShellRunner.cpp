// The shell contract against the in-memory double.
#include "ShellContract.h"

#include "fakes/FakeProcessLocks.h"
#include "fakes/FakeShell.h"

namespace velt::contract {

std::unique_ptr<IShell> MakeShell() {
    auto shell = std::make_unique<FakeShell>();
    shell->directories.insert("C:\\scratch");
    return shell;
}

std::unique_ptr<IProcessLocks> MakeLocks() {
    return std::make_unique<FakeProcessLocks>();
}

std::string ScratchRoot() {
    return "C:\\scratch";
}

void RemoveScratch(const std::string& /*root*/) {}

} // namespace velt::contract
