/* Named locks held for a process's life: the session's one-copy lock and the machine lock that
 * keeps the one driver to one running copy. Written in C so that the program, the command caller
 * and the setup DLL take or probe a lock by the same code, with the same meaning. */
#pragma once

#include <wchar.h>

#ifdef __cplusplus
extern "C" {
#endif

/* What a lock was found to be. */
enum VeltLockState {
    VELT_LOCK_FREE = 0,  /* no other process holds it: this one got it */
    VELT_LOCK_HELD = 1,  /* another process holds it (the wait timed out) */
    VELT_LOCK_UNTOLD = 2 /* it cannot be told: no right to it, the name taken by another kind
                          * of object, a failed wait. Whoever must fail closed reads it as
                          * held: only VELT_LOCK_FREE lets a copy take the driver. */
};

/* Creates the named mutex with the machine lock's access list (everyone may wait for it, SYSTEM
 * and Administrators may do anything with it), or opens the one that exists (for waiting only
 * when this account may not have every right to it), and waits up to waitMs for it. A lock this
 * process got is held until the process ends when keep is nonzero, let go at once otherwise: a
 * probe that leaves it free for the copy it is about to start. */
enum VeltLockState VeltTakeNamedLock(const wchar_t* name, unsigned long waitMs, int keep);

/* The machine lock (the shared name MachineLock), probed without keeping it. */
enum VeltLockState VeltProbeMachineLock(void);

#ifdef __cplusplus
}
#endif
