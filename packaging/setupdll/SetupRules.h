/* The install-folder decisions of the setup DLL that need no Windows call: which path is a
 * folder the setup may take, which entries belong to profiles an uninstall kept, and what the
 * lock-down does with each entry of an earlier version's Profiles folder. FolderTrust.c reads
 * the facts and acts; the native tests run these. */
#ifndef VELT_SETUP_RULES_H
#define VELT_SETUP_RULES_H

#include <stddef.h>

#include "driver/PathTrust.h"

/* The file attributes weighed here (winnt.h's values). */
#define VELT_ATTRIBUTE_DIRECTORY 0x10UL
#define VELT_ATTRIBUTE_REPARSE_POINT 0x400UL

/* Parts of a folder path of fewer than MAX_PATH characters: the root and at most one name per
 * two characters after it. */
#define VELT_MAX_FOLDER_PARTS 132

/* Drops trailing backslashes below the root from the full path `path` (in place), then stores
 * where each part ends (VeltSplitPath). The number of parts; 0 unless it names a folder below a
 * drive's root ("C:\..."). */
size_t VeltFolderParts(wchar_t* path, size_t* ends, size_t maxEnds);

/* Judges the install folder's path from the facts of its `existing` parts (parts has room for
 * `count`); a part still to be made is the setup's own, and is judged as such. */
VeltPathVerdict VeltJudgeFolderPath(VeltPathPart* parts, size_t existing, size_t count,
                                    size_t* failing);

/* Whether an entry found in a folder the setup would take belongs to profiles an uninstall
 * kept: in that folder, a plain folder named Profiles; in Profiles, a file (not a folder) named
 * "profiles.*". The "." and ".." entries belong. Letter case does not matter. */
int VeltIsKeptProfilesEntry(const wchar_t* name, unsigned long attributes, int inProfiles);

typedef enum VeltLockDown {
    VELT_LOCK_SKIP,   /* "." and ".." */
    VELT_LOCK_RIGHTS, /* a plain file with one name: it gets the program file's rights */
    VELT_LOCK_REMOVE, /* a name that may lead elsewhere (a link, another name of a file): the
                       * name goes, whatever it leads to stays */
    VELT_LOCK_FAIL    /* a folder, or what could not be read: the setup fails */
} VeltLockDown;

/* What the lock-down of an earlier version's Profiles folder does with one entry, from the
 * attributes and the link count read on a handle to the entry itself (links 0: not read). */
VeltLockDown VeltProfilesEntryLockDown(const wchar_t* name, unsigned long attributes,
                                       unsigned long links);

#endif /* VELT_SETUP_RULES_H */
