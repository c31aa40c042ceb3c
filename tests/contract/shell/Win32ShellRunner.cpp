// The shell contract against the Win32 calls, in a fresh folder of the temporary directory; and
// the named-lock code the program, the command caller and the setup DLL share, against other
// holders of a lock.
#include "ShellContract.h"

#include "win32/NamedLock.h"
#include "win32/Win32ProcessLocks.h"
#include "win32/Win32Shell.h"

#include <windows.h>

#include <cstdio>
#include <string>

namespace velt::contract {

void RemoveScratch(const std::string& root) {
    RemoveDirectoryA((root + "\\CONFIDENT\\inner").c_str());
    RemoveDirectoryA((root + "\\CONFIDENT").c_str());
    RemoveDirectoryA(root.c_str());
}

std::unique_ptr<IShell> MakeShell() {
    return std::make_unique<Win32Shell>();
}

std::unique_ptr<IProcessLocks> MakeLocks() {
    return std::make_unique<Win32ProcessLocks>();
}

std::string ScratchRoot() {
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    char name[64];
    std::snprintf(name, sizeof name, "velt-shell-%lu", GetCurrentProcessId());
    std::string root = std::string(temp) + name;
    RemoveScratch(root);
    CreateDirectoryA(root.c_str(), nullptr);
    return root;
}

namespace {

struct LockCall {
    const std::wstring* name;
    int keep;
    HANDLE release;
    volatile LONG state;
};

DWORD WINAPI TakeThread(void* p) {
    auto* call = static_cast<LockCall*>(p);
    InterlockedExchange(&call->state, VeltTakeNamedLock(call->name->c_str(), 0, call->keep));
    if (call->release != nullptr) {
        WaitForSingleObject(call->release, INFINITE);
    }
    return 0;
}

// Runs the lock code once on a thread of its own (a mutex is its owning thread's: another thread
// of this process is another holder), which then ends, or first waits for `release`.
int TakeOnThread(const std::wstring& name, int keep, HANDLE release = nullptr) {
    LockCall call{&name, keep, release, -1};
    HANDLE thread = CreateThread(nullptr, 0, TakeThread, &call, 0, nullptr);
    // Until the thread took its turn (or ended, without a release event).
    while (InterlockedCompareExchange(&call.state, -1, -1) < 0 &&
           WaitForSingleObject(thread, 5) == WAIT_TIMEOUT) {
    }
    if (release == nullptr) {
        WaitForSingleObject(thread, INFINITE);
    }
    CloseHandle(thread);
    return call.state;
}

TEST(NamedLock, FreeHeldAbandonedAndUntoldMeanTheSameToEveryCaller) {
    const std::wstring base = L"VeltNamedLockTest" + std::to_wstring(GetCurrentProcessId());
    // A probe lets go: the next taker finds the lock free (the lock outlives the probe's handle).
    const std::wstring probed = base + L"Probed";
    HANDLE existing = CreateMutexW(nullptr, FALSE, probed.c_str());
    EXPECT_EQ(VeltTakeNamedLock(probed.c_str(), 0, 0), VELT_LOCK_FREE);
    EXPECT_EQ(TakeOnThread(probed, 1), VELT_LOCK_FREE);
    CloseHandle(existing);

    // Held by a live holder: held for a taker and for a probe, after the wait.
    const std::wstring held = base + L"Held";
    HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ASSERT_EQ(TakeOnThread(held, 1, release), VELT_LOCK_FREE);
    EXPECT_EQ(VeltTakeNamedLock(held.c_str(), 20, 1), VELT_LOCK_HELD);
    EXPECT_EQ(VeltTakeNamedLock(held.c_str(), 0, 0), VELT_LOCK_HELD);
    SetEvent(release);
    CloseHandle(release);

    // Kept by a holder that ended without letting go (abandoned): free for the next taker.
    const std::wstring abandoned = base + L"Abandoned";
    ASSERT_EQ(TakeOnThread(abandoned, 1), VELT_LOCK_FREE);
    EXPECT_EQ(VeltTakeNamedLock(abandoned.c_str(), 0, 0), VELT_LOCK_FREE);

    // The name taken by another kind of object cannot be told, and counts as held where it must.
    const std::wstring other = base + L"Event";
    HANDLE event = CreateEventW(nullptr, TRUE, FALSE, other.c_str());
    ASSERT_NE(event, nullptr);
    EXPECT_EQ(VeltTakeNamedLock(other.c_str(), 0, 1), VELT_LOCK_UNTOLD);
    EXPECT_EQ(LockStateOf(VeltTakeNamedLock(other.c_str(), 0, 0)), LockState::Untold);
    CloseHandle(event);
}

} // namespace

} // namespace velt::contract
