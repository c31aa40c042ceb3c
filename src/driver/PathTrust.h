/* Whether a folder's path can be trusted not to be swapped by a user who is not an
 * administrator: the decision alone, from facts the caller has read about each part of the path
 * (from the drive's root down to the folder itself). The program's driver-file check and the
 * setup DLL's install-folder check both decide with it, so the header compiles as C and as C++
 * and the code needs no C++ run-time library.
 *
 * A part is refused when it is a reparse point (a junction, mount point or symbolic link, which
 * can send the rest of the path anywhere), when its owner is not trusted (the owner may always
 * give itself any right), or when an untrusted account may delete it, change its rights or take
 * its ownership, or may delete its children while a later part of the path is one of them
 * (FILE_DELETE_CHILD on the parent lets a user delete, then recreate, the child). A right to add
 * files or folders is no reason to refuse: every user may add folders to C:\, and doing so
 * replaces nothing that exists. */
#ifndef VELT_PATH_TRUST_H
#define VELT_PATH_TRUST_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* What the caller has read about one part of the path. */
typedef struct VeltPathPart {
    /* Nonzero when the part carries a reparse point (FILE_ATTRIBUTE_REPARSE_POINT). */
    int reparsePoint;
    /* Nonzero when its owner is SYSTEM, Administrators, TrustedInstaller or another account the
     * caller trusts. */
    int ownerTrusted;
    /* Every right that the allowing, not inherit-only entries of its access list give accounts
     * the caller does not trust, combined; generic rights may be left unmapped. A part without an
     * access list (a null DACL) gives everyone every right: 0x10000000 (GENERIC_ALL). */
    uint32_t untrustedRights;
} VeltPathPart;

typedef enum VeltPathVerdict {
    VELT_PATH_TRUSTED = 0,
    VELT_PATH_NO_PARTS,           /* nothing to judge: never trusted */
    VELT_PATH_REPARSE_POINT,      /* the part is a junction, mount point or link */
    VELT_PATH_UNTRUSTED_OWNER,    /* an untrusted account owns the part */
    VELT_PATH_MAY_DELETE,         /* an untrusted account may delete or rename the part */
    VELT_PATH_MAY_CHANGE_RIGHTS,  /* ... may change the part's rights */
    VELT_PATH_MAY_TAKE_OWNERSHIP, /* ... may take the part's ownership */
    VELT_PATH_MAY_DELETE_CHILD    /* ... may delete the next part from this one */
} VeltPathVerdict;

/* The file rights the decision names (winnt.h's values). */
enum {
    VELT_FILE_WRITE_DATA = 0x00000002,
    VELT_FILE_APPEND_DATA = 0x00000004,
    VELT_FILE_DELETE_CHILD = 0x00000040,
    VELT_DELETE = 0x00010000,
    VELT_WRITE_DAC = 0x00040000,
    VELT_WRITE_OWNER = 0x00080000,
    /* Every right, as an object without an access list gives everyone. */
    VELT_GENERIC_ALL = 0x10000000,
    /* The rights that let an account change what a file or folder holds or which one is there:
     * write data (add a file, for a folder), append data (add a subfolder), delete a child,
     * delete, change the rights and take the ownership. Compare with VeltFileRights(mask), so
     * that generic rights count for the file rights they stand for. */
    VELT_CHANGE_RIGHTS = VELT_FILE_WRITE_DATA | VELT_FILE_APPEND_DATA | VELT_FILE_DELETE_CHILD |
                         VELT_DELETE | VELT_WRITE_DAC | VELT_WRITE_OWNER
};

/* The rights of a file or folder access mask with its generic rights mapped to the file
 * rights they stand for (GENERIC_ALL to FILE_ALL_ACCESS, and so on). */
uint32_t VeltFileRights(uint32_t mask);

/* Judges the parts from the root (parts[0]) down to the folder itself (parts[count - 1]).
 * Returns the first reason to refuse, and when failingPart is given stores there the index of
 * the part it concerns (0 for VELT_PATH_TRUSTED and VELT_PATH_NO_PARTS). */
VeltPathVerdict VeltJudgePath(const VeltPathPart* parts, size_t count, size_t* failingPart);

/* A short English phrase for the verdict, to follow the part's name in a message or log
 * ("C:\Tools: a user who is not an administrator may delete or rename it"). */
const char* VeltPathVerdictText(VeltPathVerdict verdict);

#ifdef __cplusplus
}
#endif

#endif /* VELT_PATH_TRUST_H */
