/* Whether a folder's path can be trusted not to be swapped by a user who is not an
 * administrator, and the facts that decision rests on, written once: which accounts are trusted,
 * what each kind of access entry grants an account that is not, and how a full path splits into
 * its parts. The program's driver-file check and the setup DLL's install-folder check both read
 * the system's access lists through here and decide with it, so the header compiles as C and as
 * C++ and the code needs no C++ run-time library.
 *
 * A part is refused when it is a reparse point (a junction, mount point or symbolic link, which
 * can send the rest of the path anywhere), when its owner is not trusted (the owner may always
 * give itself any right), or when an untrusted account may delete it, change its rights or take
 * its ownership, or may delete its children while a later part of the path is one of them
 * (FILE_DELETE_CHILD on the parent lets a user delete, then recreate, the child). The folder
 * itself (the last part) is also refused when such an account may add a file or a folder to it.
 * The root is the exception: every user may add folders to C:\, which replaces nothing that
 * exists, and a volume's root is never a reparse point on Windows (Wine reports one for a drive
 * that maps a Unix mount point). */
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
    /* Nonzero when VeltTrusts trusts its owner. */
    int ownerTrusted;
    /* What its access list grants accounts that are not trusted (VeltUntrustedRights). */
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
    VELT_PATH_MAY_DELETE_CHILD,   /* ... may delete the next part from this one */
    VELT_PATH_MAY_ADD             /* ... may add a file or a folder to the folder itself */
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
    /* The rights that let an account modify a file or folder or swap it for another: write data
     * (add a file, for a folder), append data (add a subfolder), delete a child, delete, change
     * the rights and take the ownership. Compare with VeltFileRights(mask), so that generic
     * rights count for the file rights they stand for. */
    VELT_MAY_MODIFY_RIGHTS = VELT_FILE_WRITE_DATA | VELT_FILE_APPEND_DATA | VELT_FILE_DELETE_CHILD |
                             VELT_DELETE | VELT_WRITE_DAC | VELT_WRITE_OWNER
};

/* The rights of a file or folder access mask with its generic rights mapped to the file
 * rights they stand for (GENERIC_ALL to FILE_ALL_ACCESS, and so on). */
uint32_t VeltFileRights(uint32_t mask);

/* --- Access entries --- */

/* The kinds of access entry (ACE_HEADER.AceType) and the flag (AceFlags) weighed here. */
enum {
    VELT_ACE_ALLOWED = 0,
    VELT_ACE_DENIED = 1,
    VELT_ACE_ALLOWED_OBJECT = 5,
    VELT_ACE_DENIED_OBJECT = 6,
    VELT_ACE_ALLOWED_CALLBACK = 9,
    VELT_ACE_DENIED_CALLBACK = 10,
    VELT_ACE_DENIED_CALLBACK_OBJECT = 12,
    /* Not a kind Windows has: what a reader gives for an entry it could not read. */
    VELT_ACE_UNREADABLE = 0x100,
    VELT_ACE_INHERIT_ONLY = 0x08
};

/* One entry of an access list as the decision weighs it. */
typedef struct VeltAccessRow {
    unsigned type;  /* VELT_ACE_* (any other value is a kind not known here) */
    unsigned flags; /* the entry's AceFlags */
    int trusted;    /* nonzero when VeltTrusts trusts its account */
    uint32_t mask;  /* its access mask as written */
} VeltAccessRow;

/* What the entry grants an account that is not trusted, in file rights: nothing for a trusted
 * account, an entry that only passes on to a folder's children, or one that denies (a deny is
 * never counted on: the order of entries decides whether it applies); the mask of an allowing
 * entry, a callback entry included (its condition may hold); every right for an object or
 * compound entry, a kind not known here or one that could not be read. */
uint32_t VeltRowGrants(const VeltAccessRow* row);

/* What the access list grants untrusted accounts, combined. A missing access list (rows NULL;
 * a null DACL) grants everyone every right. */
uint32_t VeltUntrustedRights(const VeltAccessRow* rows, size_t count);

/* Whether the entry lets its account modify or swap the system folder (a plain allowing entry
 * that applies to the folder itself): such an account can replace the system, so it is trusted
 * with the program's files too. */
int VeltRowMakesSystemWriter(const VeltAccessRow* row);

/* --- Trusted accounts --- */

/* Characters of a SID's text with its terminating zero: "S-1-" and an authority, and up to 15
 * sub-authorities of up to 10 digits each. */
#define VELT_SID_TEXT_SIZE 192
#define VELT_MAX_TRUSTED 40

/* The accounts trusted with the program's files, as SID text. */
typedef struct VeltTrust {
    char sids[VELT_MAX_TRUSTED][VELT_SID_TEXT_SIZE];
    size_t count;
} VeltTrust;

/* SYSTEM, Administrators and TrustedInstaller. */
void VeltTrustInit(VeltTrust* trust);
/* Adds an account (the owner of the system folder, or a VeltRowMakesSystemWriter account).
 * Zero when it is empty, too long or there is no more room (then it is not trusted). */
int VeltTrustAdd(VeltTrust* trust, const char* sid);
/* Whether the account is one of them; an empty SID (one that could not be read) never is. */
int VeltTrusts(const VeltTrust* trust, const char* sid);

/* The text ("S-1-5-18") of the binary SID at `sid`, reading at most `size` bytes, into `text`
 * (textSize characters). Zero, with `text` empty, when it is no whole SID or its text does not
 * fit. */
int VeltSidText(const void* sid, size_t size, char* text, size_t textSize);

/* The row of one access entry as Windows stores it (ACE_HEADER, access mask, SID), reading at
 * most `size` bytes and no more than the entry's own size. A trust may be NULL (then no account
 * is trusted); the account's SID text goes to `sid` (VELT_SID_TEXT_SIZE characters) when given.
 * An entry too short for its kind, or whose SID cannot be read, is a VELT_ACE_UNREADABLE row. */
VeltAccessRow VeltReadAce(const void* ace, size_t size, const VeltTrust* trust, char* sid);

/* What an access list as Windows stores it (ACL header, then its entries) grants accounts that
 * `trust` does not trust: VeltUntrustedRights of a row per entry (VeltReadAce), reading at most
 * `size` bytes and no more than the list's own size. A missing list (acl NULL) grants everyone
 * every right; an entry that lies past the list's end grants everything. */
uint32_t VeltAclUntrustedRights(const void* acl, size_t size, const VeltTrust* trust);

/* Adds the system folder's owner, and each account an entry of its access list makes a writer
 * of it (VeltRowMakesSystemWriter), to the trusted accounts. Either may be NULL. */
void VeltTrustSystemFolder(VeltTrust* trust, const void* owner, size_t ownerSize, const void* acl,
                           size_t aclSize);

/* --- Paths --- */

/* Where each part of a full path ends, from its root down: ends[0] is the root's length with
 * its backslash ("C:\" 3, "\\srv\share\", "\\?\C:\" 7, "\\?\UNC\srv\share\"), each later end
 * the end of a name; a trailing backslash ends no part. The path is `length` characters of
 * `charSize` bytes each (1, 2 or 4). Returns the number of parts; 0 when the path has no such
 * root, or holds a '/', an empty name, "." or "..", a name ending in a dot or a space (which
 * Win32 drops and the kernel keeps), a character no name holds (a control character or one of
 * :*?"<>|, a ':' naming a stream among them), or more than maxEnds parts. */
size_t VeltSplitPath(const void* path, size_t length, size_t charSize, size_t* ends,
                     size_t maxEnds);

/* Judges a file as the last part of its path: a reparse point, an untrusted owner, or a right
 * of an untrusted account to change, delete, re-permission or take it refuses it. */
VeltPathVerdict VeltJudgeFile(const VeltPathPart* file);

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
