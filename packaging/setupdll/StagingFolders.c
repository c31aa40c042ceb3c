/* Removing the setup's staging folders (~setup.new, ~setup.old) without following a junction or
 * symbolic link (SetupCore.h). NSIS's own RMDir /r walks into such a link and deletes what it
 * names, wherever that is; here each entry's attributes are read first and a reparse point is
 * removed itself. */
#include "SetupCore.h"

#include <strsafe.h>

/* Removes one entry that is not a plain folder: a file, or a reparse point of either kind. */
static int RemoveEntry(const wchar_t* path, DWORD attributes, BOOL laterIfBusy) {
    BOOL removed =
        (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? RemoveDirectoryW(path) : DeleteFileW(path);
    if (removed) {
        return 0;
    }
    return laterIfBusy && MoveFileExW(path, NULL, MOVEFILE_DELAY_UNTIL_REBOOT) ? 1 : 2;
}

/* Empties and removes the plain folder `path` (MAX_PATH characters). */
static int RemoveFolder(const wchar_t* path, BOOL laterIfBusy) {
    wchar_t entry[MAX_PATH];
    WIN32_FIND_DATAW found;
    HANDLE search;
    int result = 0;
    if (FAILED(StringCchPrintfW(entry, MAX_PATH, L"%s\\*", path))) {
        return 2;
    }
    search = FindFirstFileW(entry, &found);
    if (search == INVALID_HANDLE_VALUE) {
        return 2;
    }
    do {
        int removed;
        if (lstrcmpW(found.cFileName, L".") == 0 || lstrcmpW(found.cFileName, L"..") == 0) {
            continue;
        }
        /* A name too long to build is not guessed at: the folder stays. */
        if (FAILED(StringCchPrintfW(entry, MAX_PATH, L"%s\\%s", path, found.cFileName))) {
            removed = 2;
        } else if ((found.dwFileAttributes &
                    (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) ==
                   FILE_ATTRIBUTE_DIRECTORY) {
            removed = RemoveFolder(entry, laterIfBusy);
        } else {
            removed = RemoveEntry(entry, found.dwFileAttributes, laterIfBusy);
        }
        result = removed > result ? removed : result;
    } while (FindNextFileW(search, &found));
    FindClose(search);
    if (result == 0) {
        result = RemoveEntry(path, FILE_ATTRIBUTE_DIRECTORY, laterIfBusy);
    } else if (result == 1 && !MoveFileExW(path, NULL, MOVEFILE_DELAY_UNTIL_REBOOT)) {
        result = 2;
    }
    return result;
}

int VELT_EXPORT VeltRemoveStaging(const wchar_t* path, BOOL laterIfBusy) {
    size_t length = 0;
    DWORD attributes;
    if (path == NULL || FAILED(StringCchLengthW(path, MAX_PATH, &length)) || length == 0) {
        return 2;
    }
    attributes = GetFileAttributesW(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return GetLastError() == ERROR_FILE_NOT_FOUND || GetLastError() == ERROR_PATH_NOT_FOUND ? 0
                                                                                                : 2;
    }
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
        return RemoveEntry(path, attributes, laterIfBusy);
    }
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? RemoveFolder(path, laterIfBusy) : 0;
}
