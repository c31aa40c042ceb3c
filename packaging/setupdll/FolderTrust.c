/* Which folder the setup may make its own, and making it so (SetupCore.h).
 *
 * The setup runs as an administrator or as SYSTEM and locks its folder to administrators, so it
 * must never take over a folder that holds other people's files, never follow a junction or
 * symbolic link, and never trust a path that a standard user can swap: if any part of it from
 * the drive's root down may be deleted, renamed, re-permissioned or taken over by such a user,
 * the driver that loads at boot could be replaced. The decision is PathTrust's; this file reads
 * the facts it decides on and acts through handles to the folders themselves. */
#include "SetupCore.h"

#include <aclapi.h>
#include <sddl.h>

#include "driver/PathTrust.h"

/* Parts of a path: "C:\", "C:\Program Files", ... at most one per two characters. */
#define MAX_PARTS (MAX_PATH / 2)
#define MAX_TRUSTED 40

/* The accounts trusted with the program folder: SYSTEM, Administrators, TrustedInstaller, and
 * whoever owns or may change the system folder (that account can replace the system itself). */
typedef struct Trust {
    PSID sids[MAX_TRUSTED];
    int count;
    PSID named[3];
    PSECURITY_DESCRIPTOR systemFolder; /* holds the system folder's SIDs */
} Trust;

static void AddTrusted(Trust* trust, PSID sid) {
    if (sid != NULL && trust->count < MAX_TRUSTED) {
        trust->sids[trust->count++] = sid;
    }
}

static void OpenTrust(Trust* trust) {
    static const wchar_t* const kNamed[3] = {VELT_SidSystem, VELT_SidAdministrators,
                                             VELT_SidTrustedInstaller};
    wchar_t system[MAX_PATH];
    PSID owner = NULL;
    PACL dacl = NULL;
    ACL_SIZE_INFORMATION size;
    DWORD length = GetSystemDirectoryW(system, MAX_PATH);
    DWORD i;
    ZeroMemory(trust, sizeof(*trust));
    for (i = 0; i < 3; ++i) {
        if (ConvertStringSidToSidW(kNamed[i], &trust->named[i])) {
            AddTrusted(trust, trust->named[i]);
        }
    }
    if (length == 0 || length >= MAX_PATH ||
        GetNamedSecurityInfoW(system, SE_FILE_OBJECT,
                              OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &owner, NULL,
                              &dacl, NULL, &trust->systemFolder) != ERROR_SUCCESS) {
        trust->systemFolder = NULL;
        return;
    }
    AddTrusted(trust, owner);
    if (dacl == NULL || !GetAclInformation(dacl, &size, sizeof(size), AclSizeInformation)) {
        return;
    }
    for (i = 0; i < size.AceCount; ++i) {
        ACCESS_ALLOWED_ACE* ace = NULL;
        if (GetAce(dacl, i, (void**)&ace) && ace->Header.AceType == ACCESS_ALLOWED_ACE_TYPE &&
            (ace->Header.AceFlags & INHERIT_ONLY_ACE) == 0 &&
            (VeltFileRights(ace->Mask) & VELT_CHANGE_RIGHTS) != 0) {
            AddTrusted(trust, (PSID)&ace->SidStart);
        }
    }
}

static void CloseTrust(Trust* trust) {
    int i;
    for (i = 0; i < 3; ++i) {
        LocalFree(trust->named[i]);
    }
    LocalFree(trust->systemFolder);
}

static BOOL IsTrusted(const Trust* trust, PSID sid) {
    int i;
    for (i = 0; i < trust->count; ++i) {
        if (EqualSid(trust->sids[i], sid)) {
            return TRUE;
        }
    }
    return FALSE;
}

/* Every right the access list gives accounts that are not trusted. An entry of a kind not read
 * here counts as giving every right; a missing access list gives everyone every right. */
static DWORD UntrustedRights(PACL dacl, const Trust* trust) {
    ACL_SIZE_INFORMATION size;
    DWORD rights = 0;
    DWORD i;
    if (dacl == NULL || !GetAclInformation(dacl, &size, sizeof(size), AclSizeInformation)) {
        return GENERIC_ALL;
    }
    for (i = 0; i < size.AceCount; ++i) {
        ACCESS_ALLOWED_ACE* ace = NULL;
        if (!GetAce(dacl, i, (void**)&ace)) {
            return GENERIC_ALL;
        }
        if (ace->Header.AceType == ACCESS_DENIED_ACE_TYPE ||
            (ace->Header.AceFlags & INHERIT_ONLY_ACE) != 0) {
            continue;
        }
        if (ace->Header.AceType != ACCESS_ALLOWED_ACE_TYPE) {
            rights |= GENERIC_ALL;
        } else if (!IsTrusted(trust, (PSID)&ace->SidStart)) {
            rights |= ace->Mask;
        }
    }
    return rights;
}

/* The facts about one existing part. FALSE when they cannot be read. */
static BOOL ReadPart(const wchar_t* path, const Trust* trust, VeltPathPart* part) {
    PSID owner = NULL;
    PACL dacl = NULL;
    PSECURITY_DESCRIPTOR descriptor = NULL;
    DWORD attributes = GetFileAttributesW(path);
    if (attributes == INVALID_FILE_ATTRIBUTES ||
        GetNamedSecurityInfoW(path, SE_FILE_OBJECT,
                              OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &owner, NULL,
                              &dacl, NULL, &descriptor) != ERROR_SUCCESS) {
        return FALSE;
    }
    part->reparsePoint = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    part->ownerTrusted = owner != NULL && IsTrusted(trust, owner);
    part->untrustedRights = UntrustedRights(dacl, trust);
    LocalFree(descriptor);
    return TRUE;
}

/* The full name of `folder` in `path` (MAX_PATH characters), without a trailing backslash, and
 * where each part of it ends (`ends`, the length of the part's name). FALSE unless it names a
 * folder below a drive's root ("C:\..."). */
static BOOL SplitPath(const wchar_t* folder, wchar_t* path, int* ends, int* count) {
    DWORD length = GetFullPathNameW(folder, MAX_PATH, path, NULL);
    DWORD i;
    if (length == 0 || length >= MAX_PATH) {
        return FALSE;
    }
    while (length > 3 && path[length - 1] == L'\\') {
        path[--length] = 0;
    }
    if (length <= 3 || path[1] != L':' || path[2] != L'\\' ||
        !((path[0] >= L'A' && path[0] <= L'Z') || (path[0] >= L'a' && path[0] <= L'z'))) {
        return FALSE;
    }
    *count = 0;
    ends[(*count)++] = 3;
    for (i = 3; i < length; ++i) {
        if (path[i] == L'\\') {
            ends[(*count)++] = (int)i;
        }
    }
    ends[(*count)++] = (int)length;
    return TRUE;
}

static BOOL Exists(const wchar_t* path) {
    return GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES;
}

/* TRUE when `folder` holds nothing but a Profiles folder of profile files ("profiles.*"), as the
 * uninstaller leaves it when the profiles are kept, or nothing at all. */
static BOOL HoldsOnlyKeptProfiles(const wchar_t* folder, BOOL inProfiles) {
    wchar_t pattern[MAX_PATH + 16];
    WIN32_FIND_DATAW found;
    BOOL only = TRUE;
    HANDLE search;
    wsprintfW(pattern, L"%s\\*", folder);
    search = FindFirstFileW(pattern, &found);
    if (search == INVALID_HANDLE_VALUE) {
        return FALSE;
    }
    do {
        const wchar_t* name = found.cFileName;
        BOOL folderEntry = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        if (lstrcmpW(name, L".") == 0 || lstrcmpW(name, L"..") == 0) {
            continue;
        }
        if (inProfiles) {
            only = !folderEntry && CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE, name, 9,
                                                  L"profiles.", 9) == CSTR_EQUAL;
        } else {
            wchar_t profiles[MAX_PATH + 16];
            wsprintfW(profiles, L"%s\\%s", folder, name);
            only = folderEntry && lstrcmpiW(name, L"Profiles") == 0 &&
                   (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0 &&
                   HoldsOnlyKeptProfiles(profiles, TRUE);
        }
    } while (only && FindNextFileW(search, &found));
    FindClose(search);
    return only;
}

BOOL VELT_EXPORT VeltCheckFolder(const wchar_t* folder, const wchar_t* recorded, wchar_t* reason) {
    wchar_t path[MAX_PATH];
    wchar_t known[MAX_PATH];
    wchar_t inner[MAX_PATH + 16];
    int ends[MAX_PARTS + 2];
    int count = 0;
    int existing;
    int known_count;
    size_t failing = 0;
    VeltPathPart parts[MAX_PARTS + 2];
    VeltPathVerdict verdict;
    Trust trust;
    reason[0] = 0;
    if (!SplitPath(folder, path, ends, &count)) {
        wsprintfW(reason,
                  L"%.300s is not a folder on a drive of this computer. Choose one such as "
                  L"C:\\Program Files\\Veltarion.",
                  folder);
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
            wsprintfW(reason,
                      read ? L"%s is a file, not a folder."
                           : L"The rights of %s cannot be read: it is not taken.",
                      path);
            CloseTrust(&trust);
            return FALSE;
        }
        path[ends[existing]] = kept;
    }
    CloseTrust(&trust);
    /* A part still to be made is the setup's own; the part above it is judged as its parent. */
    known_count = existing;
    if (existing < count) {
        parts[known_count].reparsePoint = 0;
        parts[known_count].ownerTrusted = 1;
        parts[known_count].untrustedRights = 0;
        ++known_count;
    }
    verdict = VeltJudgePath(parts, (size_t)known_count, &failing);
    if (verdict != VELT_PATH_TRUSTED) {
        lstrcpynW(known, path, ends[failing] + 1);
        wsprintfW(reason,
                  L"%s: %hs. Choose a folder that only administrators can change, such as "
                  L"one in Program Files.",
                  known, VeltPathVerdictText(verdict));
        return FALSE;
    }
    if (existing < count) {
        return TRUE; /* made by the setup */
    }
    wsprintfW(inner, L"%s\\Profiles", path);
    if ((GetFileAttributesW(inner) & FILE_ATTRIBUTE_REPARSE_POINT) != 0 && Exists(inner)) {
        wsprintfW(reason,
                  L"%s is a junction or a symbolic link. Choose a folder of its own for "
                  L"Veltarion.",
                  inner);
        return FALSE;
    }
    known[0] = 0;
    if (recorded != NULL && recorded[0] != 0) {
        int recorded_ends[MAX_PARTS + 2];
        int recorded_count;
        if (!SplitPath(recorded, known, recorded_ends, &recorded_count)) {
            known[0] = 0;
        }
    }
    if ((known[0] != 0 && lstrcmpiW(known, path) == 0) || HoldsOnlyKeptProfiles(path, FALSE)) {
        return TRUE;
    }
    wsprintfW(reason,
              L"%s holds other files and is not the folder of an installed Veltarion. "
              L"Choose an empty folder or a new one.",
              path);
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
 * off the files in it. It stays, so that each user's program can copy the profiles from it. An
 * entry that is not a plain file with one name (a hard link to a file elsewhere, a link, a
 * folder) is removed, never followed: what it names stays as it is. FALSE when an entry can
 * neither be locked nor removed. */
static BOOL CloseProfiles(const wchar_t* folder) {
    wchar_t profiles[MAX_PATH + 16];
    wchar_t file[2 * MAX_PATH + 32];
    WIN32_FIND_DATAW found;
    HANDLE search;
    wsprintfW(profiles, L"%s\\Profiles", folder);
    if (!Exists(profiles)) {
        return TRUE;
    }
    if (!SetRights(profiles, VELT_SddlProgramFolder, TRUE)) {
        return FALSE;
    }
    lstrcpyW(file, profiles);
    lstrcatW(file, L"\\*");
    search = FindFirstFileW(file, &found);
    if (search == INVALID_HANDLE_VALUE) {
        return FALSE;
    }
    do {
        BOOL closed = TRUE;
        if (lstrcmpW(found.cFileName, L".") != 0 && lstrcmpW(found.cFileName, L"..") != 0) {
            wsprintfW(file, L"%s\\%s", profiles, found.cFileName);
            closed = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0
                         ? VeltRemoveStaging(file, FALSE) == 0
                         : SetRights(file, VELT_SddlProgramFile, FALSE) || DeleteFileW(file);
        }
        if (!closed) {
            FindClose(search);
            return FALSE;
        }
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return TRUE;
}

int VELT_EXPORT VeltMakeFolder(const wchar_t* folder, const wchar_t* recorded, wchar_t* reason) {
    wchar_t path[MAX_PATH];
    int ends[MAX_PARTS + 2];
    int count = 0;
    int i;
    BOOL raced = FALSE;
    BOOL made = FALSE;
    SECURITY_ATTRIBUTES attributes = {sizeof(SECURITY_ATTRIBUTES), NULL, FALSE};
    if (!VeltCheckFolder(folder, recorded, reason)) {
        return 1;
    }
    SplitPath(folder, path, ends, &count);
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(
            VELT_SddlProgramFolder, SDDL_REVISION_1, &attributes.lpSecurityDescriptor, NULL)) {
        wsprintfW(reason, L"the rights of %s (error %lu)", path, GetLastError());
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
                wsprintfW(reason, L"the folder %s (error %lu)", path, GetLastError());
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
    if ((!made && !SetRights(path, VELT_SddlProgramFolder, TRUE)) || !CloseProfiles(path)) {
        wsprintfW(reason, L"the rights of %s (error %lu)", path, GetLastError());
        return 2;
    }
    return 0;
}
