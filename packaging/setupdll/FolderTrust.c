/* Which folder the setup may make its own, and making it so (SetupCore.h).
 *
 * The setup runs as an administrator or as SYSTEM and locks its folder to administrators, so it
 * must never take over a folder that holds other people's files, never follow a junction or
 * symbolic link, and never trust a path that a standard user can swap: if any part of it from
 * the drive's root down may be deleted, renamed, re-permissioned or taken over by such a user,
 * or the folder itself may take files from one, the driver that loads at boot could be
 * replaced. The decisions are PathTrust's and SetupRules'; this file reads the facts they decide
 * on and acts through handles to the folders themselves. Every string it builds is bounded
 * (WideText.h): a path too long to handle is refused, never cut. */
#include "SetupCore.h"

#include <aclapi.h>
#include <sddl.h>

#include "SetupRules.h"
#include "WideText.h"

/* The text of a binary SID; empty when it cannot be read. */
static void SidText(PSID sid, char* text) {
    if (sid == NULL || !IsValidSid(sid) ||
        !VeltSidText(sid, GetLengthSid(sid), text, VELT_SID_TEXT_SIZE)) {
        text[0] = 0;
    }
}

/* The accounts trusted with the program folder (PathTrust.h): SYSTEM, Administrators,
 * TrustedInstaller, and whoever owns or may change the system folder (that account can replace
 * the system itself). */
static void OpenTrust(VeltTrust* trust) {
    wchar_t system[MAX_PATH];
    PSID owner = NULL;
    PACL dacl = NULL;
    PSECURITY_DESCRIPTOR descriptor = NULL;
    DWORD length = GetSystemDirectoryW(system, MAX_PATH);
    VeltTrustInit(trust);
    if (length == 0 || length >= MAX_PATH ||
        GetNamedSecurityInfoW(system, SE_FILE_OBJECT,
                              OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &owner, NULL,
                              &dacl, NULL, &descriptor) != ERROR_SUCCESS) {
        return;
    }
    VeltTrustSystemFolder(trust, owner,
                          owner != NULL && IsValidSid(owner) ? GetLengthSid(owner) : 0, dacl,
                          dacl != NULL ? dacl->AclSize : 0);
    LocalFree(descriptor);
}

/* The facts about one existing part. FALSE when they cannot be read. */
static BOOL ReadPart(const wchar_t* path, const VeltTrust* trust, VeltPathPart* part) {
    PSID owner = NULL;
    PACL dacl = NULL;
    PSECURITY_DESCRIPTOR descriptor = NULL;
    char sid[VELT_SID_TEXT_SIZE];
    DWORD attributes = GetFileAttributesW(path);
    if (attributes == INVALID_FILE_ATTRIBUTES ||
        GetNamedSecurityInfoW(path, SE_FILE_OBJECT,
                              OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &owner, NULL,
                              &dacl, NULL, &descriptor) != ERROR_SUCCESS) {
        return FALSE;
    }
    SidText(owner, sid);
    part->reparsePoint = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    part->ownerTrusted = VeltTrusts(trust, sid);
    part->untrustedRights = VeltAclUntrustedRights(dacl, dacl != NULL ? dacl->AclSize : 0, trust);
    LocalFree(descriptor);
    return TRUE;
}

/* The full name of `folder` in `path` (MAX_PATH characters), without a trailing backslash, and
 * where each part of it ends. 0 unless it names a folder below a drive's root ("C:\..."); -1
 * when its full name is too long to handle. */
static int SplitPath(const wchar_t* folder, wchar_t* path, size_t* ends, size_t* count) {
    DWORD length = GetFullPathNameW(folder, MAX_PATH, path, NULL);
    if (length >= MAX_PATH) {
        return -1;
    }
    if (length == 0) {
        return 0;
    }
    *count = VeltFolderParts(path, ends, VELT_MAX_FOLDER_PARTS);
    return *count != 0 ? 1 : 0;
}

static BOOL Exists(const wchar_t* path) {
    return GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES;
}

/* 1 when `folder` holds nothing but a Profiles folder of profile files ("profiles.*"), as the
 * uninstaller leaves it when the profiles are kept, or nothing at all; 0 when it holds anything
 * else or cannot be listed; -1 when a path in it is too long to handle. */
static int HoldsOnlyKeptProfiles(const wchar_t* folder, BOOL inProfiles) {
    wchar_t pattern[MAX_PATH];
    wchar_t inner[MAX_PATH];
    WIN32_FIND_DATAW found;
    int only = 1;
    HANDLE search;
    if (!VeltJoinPath(pattern, MAX_PATH, folder, L"*")) {
        return -1;
    }
    search = FindFirstFileW(pattern, &found);
    if (search == INVALID_HANDLE_VALUE) {
        return 0;
    }
    do {
        if (!VeltIsKeptProfilesEntry(found.cFileName, found.dwFileAttributes, inProfiles)) {
            only = 0;
        } else if (!inProfiles && lstrcmpW(found.cFileName, L".") != 0 &&
                   lstrcmpW(found.cFileName, L"..") != 0) {
            only = VeltJoinPath(inner, MAX_PATH, folder, found.cFileName)
                       ? HoldsOnlyKeptProfiles(inner, TRUE)
                       : -1;
        }
    } while (only == 1 && FindNextFileW(search, &found));
    FindClose(search);
    return only;
}

/* Puts `before`, the path and `after` into a reason, as much as fits. */
static void Say(wchar_t* reason, const wchar_t* before, const wchar_t* path, const char* after) {
    VeltText text;
    VeltTextStart(&text, reason, VELT_REASON_SIZE);
    VeltTextAdd(&text, before);
    VeltTextAdd(&text, path);
    VeltTextAddAscii(&text, after);
}

/* "the <what> <path> (error <n>)", the failing step as MsiActions.c and the setup report it. */
static void SayFailedStep(wchar_t* reason, const char* what, const wchar_t* path, DWORD error) {
    VeltText text;
    VeltTextStart(&text, reason, VELT_REASON_SIZE);
    VeltTextAddAscii(&text, what);
    VeltTextAdd(&text, path);
    VeltTextAddAscii(&text, " (error ");
    VeltTextAddNumber(&text, error);
    VeltTextAddAscii(&text, ")");
}

BOOL VELT_EXPORT VeltCheckFolder(const wchar_t* folder, const wchar_t* recorded, wchar_t* reason) {
    wchar_t path[MAX_PATH];
    wchar_t known[MAX_PATH];
    wchar_t inner[MAX_PATH];
    size_t ends[VELT_MAX_FOLDER_PARTS];
    size_t count = 0;
    size_t existing;
    size_t failing = 0;
    int split;
    int only;
    VeltPathPart parts[VELT_MAX_FOLDER_PARTS];
    VeltPathVerdict verdict;
    VeltTrust trust;
    VeltText text;
    reason[0] = 0;
    split = SplitPath(folder, path, ends, &count);
    if (split <= 0) {
        VeltTextStart(&text, reason, VELT_REASON_SIZE);
        VeltTextAddCount(&text, folder, 300);
        VeltTextAddAscii(&text, split < 0 ? " is too long a name for a folder of Veltarion. Choose "
                                            "a shorter one, such as C:\\Program Files\\Veltarion."
                                          : " is not a folder on a drive of this computer. Choose "
                                            "one such as C:\\Program Files\\Veltarion.");
        return FALSE;
    }
    OpenTrust(&trust);
    for (existing = 0; existing < count; ++existing) {
        wchar_t kept = path[ends[existing]];
        DWORD attributes;
        BOOL read;
        path[ends[existing]] = 0;
        attributes = GetFileAttributesW(path);
        read = attributes != INVALID_FILE_ATTRIBUTES && ReadPart(path, &trust, &parts[existing]);
        if (!read && attributes == INVALID_FILE_ATTRIBUTES &&
            (GetLastError() == ERROR_FILE_NOT_FOUND || GetLastError() == ERROR_PATH_NOT_FOUND)) {
            path[ends[existing]] = kept;
            break; /* this part and those below it are still to be made */
        }
        if (!read || ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
                      (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0)) {
            Say(reason, read ? L"" : L"The rights of ", path,
                read ? " is a file, not a folder." : " cannot be read: it is not taken.");
            return FALSE;
        }
        path[ends[existing]] = kept;
    }
    verdict = VeltJudgeFolderPath(parts, existing, count, &failing);
    if (verdict != VELT_PATH_TRUSTED) {
        lstrcpynW(known, path, (int)ends[failing] + 1);
        VeltTextStart(&text, reason, VELT_REASON_SIZE);
        VeltTextAdd(&text, known);
        VeltTextAddAscii(&text, ": ");
        VeltTextAddAscii(&text, VeltPathVerdictText(verdict));
        VeltTextAddAscii(&text, ". Choose a folder that only administrators can change, such as "
                                "one in Program Files.");
        return FALSE;
    }
    if (existing < count) {
        return TRUE; /* made by the setup */
    }
    if (!VeltJoinPath(inner, MAX_PATH, path, VELT_ProfilesFolder)) {
        Say(reason, L"", path,
            " is too long a name for a folder of Veltarion. Choose a shorter one.");
        return FALSE;
    }
    if ((GetFileAttributesW(inner) & FILE_ATTRIBUTE_REPARSE_POINT) != 0 && Exists(inner)) {
        Say(reason, L"", inner,
            " is a junction or a symbolic link. Choose a folder of its own for Veltarion.");
        return FALSE;
    }
    known[0] = 0;
    if (recorded != NULL && recorded[0] != 0) {
        size_t recorded_ends[VELT_MAX_FOLDER_PARTS];
        size_t recorded_count;
        if (SplitPath(recorded, known, recorded_ends, &recorded_count) <= 0) {
            known[0] = 0;
        }
    }
    if (known[0] != 0 && lstrcmpiW(known, path) == 0) {
        return TRUE;
    }
    only = HoldsOnlyKeptProfiles(path, FALSE);
    if (only == 1) {
        return TRUE;
    }
    Say(reason, L"", path,
        only < 0 ? " holds a file or folder whose name is too long for Setup to check. Choose an "
                   "empty folder or a new one."
                 : " holds other files and is not the folder of an installed Veltarion. Choose an "
                   "empty folder or a new one.");
    return FALSE;
}

/* Gives the file or folder itself (never what a reparse point names) the owner and rights of
 * `sddl`. A folder must be a plain folder; a file a plain file with no other name (a hard link
 * would carry the rights to a file elsewhere). */
static BOOL SetRights(const wchar_t* path, const wchar_t* sddl, BOOL folder) {
    BY_HANDLE_FILE_INFORMATION info;
    PSECURITY_DESCRIPTOR descriptor = NULL;
    BOOL done = FALSE;
    HANDLE handle =
        CreateFileW(path, READ_CONTROL | WRITE_DAC | WRITE_OWNER,
                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL, OPEN_EXISTING,
                    FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, NULL);
    if (handle == INVALID_HANDLE_VALUE) {
        return FALSE;
    }
    if (GetFileInformationByHandle(handle, &info) &&
        (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) ==
            (folder ? FILE_ATTRIBUTE_DIRECTORY : 0) &&
        (folder || info.nNumberOfLinks == 1) &&
        ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, &descriptor,
                                                             NULL)) {
        /* On the handle itself: SetSecurityInfo would also rewrite the rights of what a folder
         * holds, following its hard links; what is made in it later inherits these. */
        done = SetKernelObjectSecurity(handle,
                                       OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION |
                                           PROTECTED_DACL_SECURITY_INFORMATION,
                                       descriptor);
        LocalFree(descriptor);
    }
    CloseHandle(handle);
    return done;
}

/* Takes every user's write right off a Profiles folder an earlier version left in `folder`, and
 * off the files in it. It stays, so that each user's program can copy the profiles from it. A
 * name that may lead elsewhere (a link, a file with another name) is removed; a folder in it, or
 * an entry that cannot be read or changed, fails the lock-down (`reason` names it). */
static BOOL CloseProfiles(const wchar_t* folder, wchar_t* reason) {
    wchar_t profiles[MAX_PATH];
    wchar_t pattern[MAX_PATH];
    wchar_t file[MAX_PATH];
    WIN32_FIND_DATAW found;
    HANDLE search;
    BOOL done = TRUE;
    if (!VeltJoinPath(profiles, MAX_PATH, folder, VELT_ProfilesFolder) ||
        !VeltJoinPath(pattern, MAX_PATH, profiles, L"*")) {
        SayFailedStep(reason, "the folder ", folder, ERROR_FILENAME_EXCED_RANGE);
        return FALSE;
    }
    if (!Exists(profiles)) {
        return TRUE;
    }
    if (!SetRights(profiles, VELT_SddlProgramFolder, TRUE)) {
        SayFailedStep(reason, "the rights of ", profiles, GetLastError());
        return FALSE;
    }
    search = FindFirstFileW(pattern, &found);
    if (search == INVALID_HANDLE_VALUE) {
        SayFailedStep(reason, "the folder ", profiles, GetLastError());
        return FALSE;
    }
    do {
        BY_HANDLE_FILE_INFORMATION info;
        DWORD attributes = found.dwFileAttributes;
        DWORD links = 0;
        HANDLE entry;
        if (!VeltJoinPath(file, MAX_PATH, profiles, found.cFileName)) {
            SayFailedStep(reason, "the file in ", profiles, ERROR_FILENAME_EXCED_RANGE);
            done = FALSE;
            break;
        }
        entry = CreateFileW(
            file, FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
            NULL, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, NULL);
        if (entry != INVALID_HANDLE_VALUE) {
            if (GetFileInformationByHandle(entry, &info)) {
                attributes = info.dwFileAttributes;
                links = info.nNumberOfLinks;
            }
            CloseHandle(entry);
        }
        switch (VeltProfilesEntryLockDown(found.cFileName, attributes, links)) {
        case VELT_LOCK_SKIP:
            break;
        case VELT_LOCK_RIGHTS:
            done = SetRights(file, VELT_SddlProgramFile, FALSE);
            break;
        case VELT_LOCK_REMOVE:
            done = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? RemoveDirectoryW(file)
                                                                : DeleteFileW(file);
            break;
        case VELT_LOCK_FAIL:
            SetLastError(ERROR_DIRECTORY);
            done = FALSE;
            break;
        }
        if (!done) {
            SayFailedStep(reason, "the profiles file ", file, GetLastError());
        }
    } while (done && FindNextFileW(search, &found));
    FindClose(search);
    return done;
}

int VELT_EXPORT VeltMakeFolder(const wchar_t* folder, const wchar_t* recorded, wchar_t* reason) {
    wchar_t path[MAX_PATH];
    size_t ends[VELT_MAX_FOLDER_PARTS];
    size_t count = 0;
    size_t i;
    BOOL raced = FALSE;
    BOOL made = FALSE;
    SECURITY_ATTRIBUTES attributes = {sizeof(SECURITY_ATTRIBUTES), NULL, FALSE};
    if (!VeltCheckFolder(folder, recorded, reason)) {
        return 1;
    }
    if (SplitPath(folder, path, ends, &count) <= 0) {
        SayFailedStep(reason, "the folder ", folder, ERROR_BAD_PATHNAME);
        return 2;
    }
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(
            VELT_SddlProgramFolder, SDDL_REVISION_1, &attributes.lpSecurityDescriptor, NULL)) {
        SayFailedStep(reason, "the rights of ", path, GetLastError());
        return 2;
    }
    /* Each part still missing is made with its final owner and rights in the same call. */
    for (i = 1; i < count; ++i) {
        wchar_t kept = path[ends[i]];
        path[ends[i]] = 0;
        if (!Exists(path)) {
            if (CreateDirectoryW(path, &attributes)) {
                made = i == count - 1;
            } else if (GetLastError() == ERROR_ALREADY_EXISTS) {
                raced = TRUE;
            } else {
                SayFailedStep(reason, "the folder ", path, GetLastError());
                LocalFree(attributes.lpSecurityDescriptor);
                return 2;
            }
        }
        path[ends[i]] = kept;
    }
    LocalFree(attributes.lpSecurityDescriptor);
    /* Someone else made a part first: it must pass as the setup's own. */
    if (raced && !VeltCheckFolder(path, recorded, reason)) {
        return 1;
    }
    if (!made && !SetRights(path, VELT_SddlProgramFolder, TRUE)) {
        SayFailedStep(reason, "the rights of ", path, GetLastError());
        return 2;
    }
    return CloseProfiles(path, reason) ? 0 : 2;
}
