#include "SetupRules.h"

#include "WideText.h"

#include "SetupNames.h"

static wchar_t Lower(wchar_t c) {
    return c >= L'A' && c <= L'Z' ? (wchar_t)(c + (L'a' - L'A')) : c;
}

/* Whether `name` starts with `prefix`, the letter case of ASCII letters aside; with `whole`, is
 * it. */
static int NameIs(const wchar_t* name, const wchar_t* prefix, int whole) {
    for (; *prefix != 0; ++name, ++prefix) {
        if (Lower(*name) != Lower(*prefix)) {
            return 0;
        }
    }
    return !whole || *name == 0;
}

static int IsDots(const wchar_t* name) {
    return (name[0] == L'.' && name[1] == 0) ||
           (name[0] == L'.' && name[1] == L'.' && name[2] == 0);
}

size_t VeltFolderParts(wchar_t* path, size_t* ends, size_t maxEnds) {
    size_t length = VeltWideLength(path);
    size_t count;
    while (length > 3 && path[length - 1] == L'\\') {
        path[--length] = 0;
    }
    count = VeltSplitPath(path, length, sizeof(wchar_t), ends, maxEnds);
    /* A drive's root and at least one folder below it. */
    return count >= 2 && ends[0] == 3 ? count : 0;
}

VeltPathVerdict VeltJudgeFolderPath(VeltPathPart* parts, size_t existing, size_t count,
                                    size_t* failing) {
    size_t known = existing;
    if (existing < count) {
        parts[known].reparsePoint = 0;
        parts[known].ownerTrusted = 1;
        parts[known].untrustedRights = 0;
        ++known;
    }
    return VeltJudgePath(parts, known, failing);
}

int VeltIsKeptProfilesEntry(const wchar_t* name, unsigned long attributes, int inProfiles) {
    const int folder = (attributes & VELT_ATTRIBUTE_DIRECTORY) != 0;
    const int reparse = (attributes & VELT_ATTRIBUTE_REPARSE_POINT) != 0;
    if (IsDots(name)) {
        return 1;
    }
    if (inProfiles) {
        return !folder && NameIs(name, L"profiles.", 0);
    }
    return folder && !reparse && NameIs(name, VELT_ProfilesFolder, 1);
}

VeltLockDown VeltProfilesEntryLockDown(const wchar_t* name, unsigned long attributes,
                                       unsigned long links) {
    const int folder = (attributes & VELT_ATTRIBUTE_DIRECTORY) != 0;
    const int reparse = (attributes & VELT_ATTRIBUTE_REPARSE_POINT) != 0;
    if (IsDots(name)) {
        return VELT_LOCK_SKIP;
    }
    if (reparse) {
        return VELT_LOCK_REMOVE; /* the link itself goes, never what it names */
    }
    if (folder || links == 0) {
        return VELT_LOCK_FAIL;
    }
    return links == 1 ? VELT_LOCK_RIGHTS : VELT_LOCK_REMOVE;
}
