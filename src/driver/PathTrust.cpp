#include "driver/PathTrust.h"

namespace {

constexpr uint32_t kGenericAll = VELT_GENERIC_ALL;
constexpr uint32_t kGenericExecute = 0x20000000U;
constexpr uint32_t kGenericWrite = 0x40000000U;
constexpr uint32_t kGenericRead = 0x80000000U;
constexpr uint32_t kFileAllAccess = 0x001F01FFU;
constexpr uint32_t kFileGenericRead = 0x00120089U;
constexpr uint32_t kFileGenericWrite = 0x00120116U;
constexpr uint32_t kFileGenericExecute = 0x001200A0U;

} // namespace

extern "C" uint32_t VeltFileRights(uint32_t mask) {
    uint32_t rights = mask & ~(kGenericAll | kGenericExecute | kGenericWrite | kGenericRead);
    if ((mask & kGenericAll) != 0) {
        rights |= kFileAllAccess;
    }
    if ((mask & kGenericRead) != 0) {
        rights |= kFileGenericRead;
    }
    if ((mask & kGenericWrite) != 0) {
        rights |= kFileGenericWrite;
    }
    if ((mask & kGenericExecute) != 0) {
        rights |= kFileGenericExecute;
    }
    return rights;
}

namespace {

// The first reason to refuse the part, given whether a later part of the path lies in it.
VeltPathVerdict JudgePart(const VeltPathPart& part, bool hasChild) {
    const uint32_t rights = VeltFileRights(part.untrustedRights);
    if (part.reparsePoint != 0) {
        return VELT_PATH_REPARSE_POINT;
    }
    if (part.ownerTrusted == 0) {
        return VELT_PATH_UNTRUSTED_OWNER;
    }
    if ((rights & VELT_DELETE) != 0) {
        return VELT_PATH_MAY_DELETE;
    }
    if ((rights & VELT_WRITE_DAC) != 0) {
        return VELT_PATH_MAY_CHANGE_RIGHTS;
    }
    if ((rights & VELT_WRITE_OWNER) != 0) {
        return VELT_PATH_MAY_TAKE_OWNERSHIP;
    }
    if (hasChild && (rights & VELT_FILE_DELETE_CHILD) != 0) {
        return VELT_PATH_MAY_DELETE_CHILD;
    }
    return VELT_PATH_TRUSTED;
}

} // namespace

extern "C" VeltPathVerdict VeltJudgePath(const VeltPathPart* parts, size_t count,
                                         size_t* failingPart) {
    if (failingPart != nullptr) {
        *failingPart = 0;
    }
    if (parts == nullptr || count == 0) {
        return VELT_PATH_NO_PARTS;
    }
    for (size_t i = 0; i < count; ++i) {
        const VeltPathVerdict verdict = JudgePart(parts[i], i + 1 < count);
        if (verdict != VELT_PATH_TRUSTED) {
            if (failingPart != nullptr) {
                *failingPart = i;
            }
            return verdict;
        }
    }
    return VELT_PATH_TRUSTED;
}

extern "C" const char* VeltPathVerdictText(VeltPathVerdict verdict) {
    switch (verdict) {
    case VELT_PATH_TRUSTED:
        return "only administrators may change it";
    case VELT_PATH_NO_PARTS:
        return "no folder given";
    case VELT_PATH_REPARSE_POINT:
        return "it is a junction, mount point or link";
    case VELT_PATH_UNTRUSTED_OWNER:
        return "it is owned by a user who is not an administrator";
    case VELT_PATH_MAY_DELETE:
        return "a user who is not an administrator may delete or rename it";
    case VELT_PATH_MAY_CHANGE_RIGHTS:
        return "a user who is not an administrator may change its rights";
    case VELT_PATH_MAY_TAKE_OWNERSHIP:
        return "a user who is not an administrator may take its ownership";
    case VELT_PATH_MAY_DELETE_CHILD:
        return "a user who is not an administrator may delete the folders in it";
    }
    return "unknown";
}
