// Cases that hold for the real shell and process calls and for the in-memory doubles alike. Each
// runner defines MakeShell(), MakeLocks() and ScratchRoot(): an existing, empty directory to make
// folders in.
#pragma once

#include "platform/ProcessLocks.h"
#include "platform/Shell.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace velt::contract {

std::unique_ptr<IShell> MakeShell();
std::unique_ptr<IProcessLocks> MakeLocks();
std::string ScratchRoot(); // without a trailing backslash
void RemoveScratch(const std::string& root);

class ShellContract : public ::testing::Test {
  protected:
    std::unique_ptr<IShell> shell = MakeShell();
    std::string root = ScratchRoot();
    ~ShellContract() override { RemoveScratch(root); }
};

TEST_F(ShellContract, MakeDirectoryMakesOneLevelAndRefusesAnExistingOne) {
    const std::string dir = root + "\\CONFIDENT";
    EXPECT_TRUE(shell->MakeDirectory(dir));
    EXPECT_FALSE(shell->MakeDirectory(dir)) << "an existing directory is a failure";
    EXPECT_FALSE(shell->MakeDirectory(root + "\\confident")) << "names compare without case";
    EXPECT_FALSE(shell->MakeDirectory(root + "\\missing\\deeper")) << "one level only";
    EXPECT_TRUE(shell->MakeDirectory(dir + "\\inner"));
}

TEST_F(ShellContract, ExecutableNameIsAFullPathToAnExe) {
    const std::string name = shell->ExecutableName();
    ASSERT_GT(name.size(), 7U);
    EXPECT_EQ(name[1], ':');
    EXPECT_EQ(name[2], '\\');
    const std::string ext = name.substr(name.size() - 4);
    EXPECT_TRUE(ext == ".exe" || ext == ".EXE") << name;
}

TEST_F(ShellContract, AFreshLockIsFreeAtOnce) {
    EXPECT_EQ(MakeLocks()->Take("VeltShellContractMutex", 50), LockState::Free);
}

} // namespace velt::contract
