#include "driver/PathTrust.h"

#include "SharedNames.h"

namespace {

constexpr uint32_t kGenericAll = VELT_GENERIC_ALL;
constexpr uint32_t kGenericExecute = 0x20000000U;
constexpr uint32_t kGenericWrite = 0x40000000U;
constexpr uint32_t kGenericRead = 0x80000000U;
constexpr uint32_t kFileAllAccess = 0x001F01FFU;
constexpr uint32_t kFileGenericRead = 0x00120089U;
constexpr uint32_t kFileGenericWrite = 0x00120116U;
constexpr uint32_t kFileGenericExecute = 0x001200A0U;

// A binary SID: revision 1, a count of sub-authorities (at most 15), a 48-bit authority
// (big-endian), then each sub-authority (32-bit, little-endian).
constexpr size_t kSidHeader = 8;
constexpr unsigned kMaxSubAuthorities = 15;
// An access entry: type, flags, its size (16-bit, little-endian), the access mask, the SID.
constexpr size_t kAceHeader = 4;
constexpr size_t kAceSidOffset = 8;

uint32_t Le32(const unsigned char* at) {
    return static_cast<uint32_t>(at[0]) | static_cast<uint32_t>(at[1]) << 8U |
           static_cast<uint32_t>(at[2]) << 16U | static_cast<uint32_t>(at[3]) << 24U;
}

// Appends `text` at `*at`; false when it and the terminating zero do not fit.
bool Append(char* out, size_t size, size_t* at, const char* text) {
    for (; *text != 0; ++text) {
        if (*at + 1 >= size) {
            return false;
        }
        out[(*at)++] = *text;
    }
    out[*at] = 0;
    return true;
}

bool AppendNumber(char* out, size_t size, size_t* at, uint64_t value, unsigned base,
                  unsigned minDigits) {
    char digits[24];
    size_t count = 0;
    do {
        digits[count++] = "0123456789ABCDEF"[value % base];
        value /= base;
    } while (value != 0 || count < minDigits);
    char text[24];
    for (size_t i = 0; i < count; ++i) {
        text[i] = digits[count - 1 - i];
    }
    text[count] = 0;
    return Append(out, size, at, text);
}

bool SameText(const char* a, const char* b) {
    for (; *a != 0 && *a == *b; ++a, ++b) {
    }
    return *a == *b;
}

size_t TextLength(const char* text, size_t max) {
    size_t length = 0;
    while (length < max && text[length] != 0) {
        ++length;
    }
    return length;
}

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

extern "C" uint32_t VeltRowGrants(const VeltAccessRow* row) {
    if ((row->flags & VELT_ACE_INHERIT_ONLY) != 0) {
        return 0;
    }
    switch (row->type) {
    case VELT_ACE_DENIED:
    case VELT_ACE_DENIED_OBJECT:
    case VELT_ACE_DENIED_CALLBACK:
    case VELT_ACE_DENIED_CALLBACK_OBJECT:
        return 0;
    case VELT_ACE_ALLOWED:
    case VELT_ACE_ALLOWED_CALLBACK:
        return row->trusted != 0 ? 0 : VeltFileRights(row->mask);
    default:
        return kFileAllAccess;
    }
}

extern "C" uint32_t VeltUntrustedRights(const VeltAccessRow* rows, size_t count) {
    if (rows == nullptr) {
        return kFileAllAccess;
    }
    uint32_t rights = 0;
    for (size_t i = 0; i < count; ++i) {
        rights |= VeltRowGrants(&rows[i]);
    }
    return rights;
}

extern "C" int VeltRowMakesSystemWriter(const VeltAccessRow* row) {
    return row->type == VELT_ACE_ALLOWED && (row->flags & VELT_ACE_INHERIT_ONLY) == 0 &&
                   (VeltFileRights(row->mask) & VELT_MAY_MODIFY_RIGHTS) != 0
               ? 1
               : 0;
}

extern "C" void VeltTrustInit(VeltTrust* trust) {
    trust->count = 0;
    VeltTrustAdd(trust, velt::shared::kSidSystem);
    VeltTrustAdd(trust, velt::shared::kSidAdministrators);
    VeltTrustAdd(trust, velt::shared::kSidTrustedInstaller);
}

extern "C" int VeltTrustAdd(VeltTrust* trust, const char* sid) {
    const size_t length = TextLength(sid, VELT_SID_TEXT_SIZE);
    if (length == 0 || length >= VELT_SID_TEXT_SIZE || trust->count >= VELT_MAX_TRUSTED) {
        return 0;
    }
    char* into = trust->sids[trust->count++];
    for (size_t i = 0; i <= length; ++i) {
        into[i] = sid[i];
    }
    return 1;
}

extern "C" int VeltTrusts(const VeltTrust* trust, const char* sid) {
    if (trust == nullptr || sid == nullptr || sid[0] == 0) {
        return 0;
    }
    for (size_t i = 0; i < trust->count; ++i) {
        if (SameText(trust->sids[i], sid)) {
            return 1;
        }
    }
    return 0;
}

extern "C" int VeltSidText(const void* sid, size_t size, char* text, size_t textSize) {
    const auto* bytes = static_cast<const unsigned char*>(sid);
    if (textSize == 0) {
        return 0;
    }
    text[0] = 0;
    if (bytes == nullptr || size < kSidHeader || bytes[0] != 1 || bytes[1] > kMaxSubAuthorities ||
        size < kSidHeader + size_t{4} * bytes[1]) {
        return 0;
    }
    uint64_t authority = 0;
    for (size_t i = 2; i < kSidHeader; ++i) {
        authority = authority << 8U | bytes[i];
    }
    size_t at = 0;
    // An authority past 32 bits is written in hexadecimal, as Windows writes it.
    bool fits = Append(text, textSize, &at, "S-1-") &&
                (authority >> 32U == 0 ? AppendNumber(text, textSize, &at, authority, 10, 1)
                                       : Append(text, textSize, &at, "0x") &&
                                             AppendNumber(text, textSize, &at, authority, 16, 12));
    for (size_t i = 0; fits && i < bytes[1]; ++i) {
        fits = Append(text, textSize, &at, "-") &&
               AppendNumber(text, textSize, &at, Le32(&bytes[kSidHeader + size_t{4} * i]), 10, 1);
    }
    if (!fits) {
        text[0] = 0;
        return 0;
    }
    return 1;
}

extern "C" VeltAccessRow VeltReadAce(const void* ace, size_t size, const VeltTrust* trust,
                                     char* sid) {
    const auto* bytes = static_cast<const unsigned char*>(ace);
    VeltAccessRow row = {VELT_ACE_UNREADABLE, 0, 0, 0};
    char text[VELT_SID_TEXT_SIZE] = {0};
    if (sid != nullptr) {
        sid[0] = 0;
    }
    if (bytes == nullptr || size < kAceHeader) {
        return row;
    }
    const size_t aceSize = static_cast<size_t>(bytes[2]) | static_cast<size_t>(bytes[3]) << 8U;
    if (aceSize < kAceSidOffset || aceSize > size) {
        return row;
    }
    row.flags = bytes[1];
    row.mask = Le32(&bytes[kAceHeader]);
    const unsigned type = bytes[0];
    const bool plain = type == VELT_ACE_ALLOWED || type == VELT_ACE_DENIED ||
                       type == VELT_ACE_ALLOWED_CALLBACK || type == VELT_ACE_DENIED_CALLBACK;
    // The other kinds are weighed by their kind alone (VeltRowGrants).
    if (plain &&
        VeltSidText(&bytes[kAceSidOffset], aceSize - kAceSidOffset, text, sizeof text) == 0) {
        return row;
    }
    row.type = type;
    row.trusted = VeltTrusts(trust, text);
    if (sid != nullptr) {
        for (size_t i = 0; i < VELT_SID_TEXT_SIZE; ++i) {
            sid[i] = text[i];
        }
    }
    return row;
}

namespace {

constexpr size_t kAclHeader = 8;

// Calls `visit` with each entry of the raw access list and its room; false when an entry lies
// past the list's end.
template <typename Visit> bool EachAce(const void* acl, size_t size, Visit visit) {
    const auto* bytes = static_cast<const unsigned char*>(acl);
    if (size < kAclHeader) {
        return false;
    }
    const size_t aclSize = static_cast<size_t>(bytes[2]) | static_cast<size_t>(bytes[3]) << 8U;
    const size_t count = static_cast<size_t>(bytes[4]) | static_cast<size_t>(bytes[5]) << 8U;
    const size_t end = aclSize < size ? aclSize : size;
    size_t at = kAclHeader;
    for (size_t i = 0; i < count; ++i) {
        if (at + kAceHeader > end) {
            return false;
        }
        const size_t aceSize =
            static_cast<size_t>(bytes[at + 2]) | static_cast<size_t>(bytes[at + 3]) << 8U;
        if (aceSize < kAceHeader || at + aceSize > end) {
            return false;
        }
        visit(&bytes[at], aceSize);
        at += aceSize;
    }
    return true;
}

} // namespace

extern "C" uint32_t VeltAclUntrustedRights(const void* acl, size_t size, const VeltTrust* trust) {
    if (acl == nullptr) {
        return VeltUntrustedRights(nullptr, 0);
    }
    uint32_t rights = 0;
    const bool whole = EachAce(acl, size, [&](const unsigned char* ace, size_t aceSize) {
        const VeltAccessRow row = VeltReadAce(ace, aceSize, trust, nullptr);
        rights |= VeltRowGrants(&row);
    });
    return whole ? rights : kFileAllAccess;
}

extern "C" void VeltTrustSystemFolder(VeltTrust* trust, const void* owner, size_t ownerSize,
                                      const void* acl, size_t aclSize) {
    char sid[VELT_SID_TEXT_SIZE];
    if (owner != nullptr && VeltSidText(owner, ownerSize, sid, sizeof sid) != 0) {
        VeltTrustAdd(trust, sid);
    }
    if (acl != nullptr) {
        EachAce(acl, aclSize, [&](const unsigned char* ace, size_t aceSize) {
            const VeltAccessRow row = VeltReadAce(ace, aceSize, nullptr, sid);
            if (VeltRowMakesSystemWriter(&row) != 0) {
                VeltTrustAdd(trust, sid);
            }
        });
    }
}

namespace {

bool IsSeparator(unsigned c) {
    return c == '\\';
}

unsigned CharAt(const void* path, size_t charSize, size_t i) {
    switch (charSize) {
    case 1:
        return static_cast<const unsigned char*>(path)[i];
    case 2:
        return static_cast<const uint16_t*>(path)[i];
    default:
        return static_cast<const uint32_t*>(path)[i];
    }
}

bool IsLetter(unsigned c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// The end of the name that starts at `from` (the next backslash or the end).
size_t NameEnd(const void* path, size_t length, size_t charSize, size_t from) {
    while (from < length && !IsSeparator(CharAt(path, charSize, from))) {
        ++from;
    }
    return from;
}

// The root's length with its backslash; 0 when the path has no root known here.
size_t RootLength(const void* path, size_t length, size_t charSize) {
    const auto at = [&](size_t i) { return i < length ? CharAt(path, charSize, i) : 0U; };
    size_t start = 0;
    bool unc = at(0) == '\\' && at(1) == '\\';
    if (unc && at(2) == '?' && at(3) == '\\') {
        start = 4;
        unc = (at(4) == 'U' || at(4) == 'u') && (at(5) == 'N' || at(5) == 'n') &&
              (at(6) == 'C' || at(6) == 'c') && at(7) == '\\';
        if (unc) {
            start = 6; // "\\?\UNC\srv\share\" reads as "\\srv\share\" from here
        }
    }
    if (!unc) {
        return IsLetter(at(start)) && at(start + 1) == ':' && at(start + 2) == '\\' ? start + 3 : 0;
    }
    const size_t server = start + 2;
    const size_t serverEnd = NameEnd(path, length, charSize, server);
    if (serverEnd == server || serverEnd >= length || at(server) == '?' || at(server) == '.') {
        return 0;
    }
    const size_t shareEnd = NameEnd(path, length, charSize, serverEnd + 1);
    if (shareEnd == serverEnd + 1) {
        return 0;
    }
    return shareEnd < length ? shareEnd + 1 : shareEnd;
}

} // namespace

extern "C" size_t VeltSplitPath(const void* path, size_t length, size_t charSize, size_t* ends,
                                size_t maxEnds) {
    if (path == nullptr || maxEnds == 0 || (charSize != 1 && charSize != 2 && charSize != 4)) {
        return 0;
    }
    for (size_t i = 0; i < length; ++i) {
        if (CharAt(path, charSize, i) == '/' || CharAt(path, charSize, i) == 0) {
            return 0;
        }
    }
    const size_t root = RootLength(path, length, charSize);
    if (root == 0) {
        return 0;
    }
    // A name holds no character that Win32 reads as something else: wildcards, a stream's ':',
    // quotes, redirections, control characters.
    for (size_t i = root; i < length; ++i) {
        const unsigned c = CharAt(path, charSize, i);
        if (c < 32 || c == ':' || c == '*' || c == '?' || c == '"' || c == '<' || c == '>' ||
            c == '|') {
            return 0;
        }
    }
    size_t count = 0;
    ends[count++] = root;
    for (size_t from = root; from < length; from = ends[count - 1] + 1) {
        const size_t end = NameEnd(path, length, charSize, from);
        // An empty name, and a name that ends in a dot or a space ("." and ".." among them).
        const unsigned last = end > from ? CharAt(path, charSize, end - 1) : 0U;
        if (end == from || last == '.' || last == ' ' || count == maxEnds) {
            return 0;
        }
        ends[count++] = end;
    }
    return count;
}

namespace {

// The first reason to refuse the part, given whether it is the root, whether a later part of the
// path lies in it.
VeltPathVerdict JudgePart(const VeltPathPart& part, bool root, bool hasChild) {
    const uint32_t rights = VeltFileRights(part.untrustedRights);
    if (part.reparsePoint != 0 && !root) {
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
    if (!hasChild && !root && (rights & (VELT_FILE_WRITE_DATA | VELT_FILE_APPEND_DATA)) != 0) {
        return VELT_PATH_MAY_ADD;
    }
    return VELT_PATH_TRUSTED;
}

} // namespace

extern "C" VeltPathVerdict VeltJudgeFile(const VeltPathPart* file) {
    return JudgePart(*file, false, false);
}

extern "C" VeltPathVerdict VeltJudgePath(const VeltPathPart* parts, size_t count,
                                         size_t* failingPart) {
    if (failingPart != nullptr) {
        *failingPart = 0;
    }
    if (parts == nullptr || count == 0) {
        return VELT_PATH_NO_PARTS;
    }
    for (size_t i = 0; i < count; ++i) {
        const VeltPathVerdict verdict = JudgePart(parts[i], i == 0, i + 1 < count);
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
    case VELT_PATH_MAY_ADD:
        return "a user who is not an administrator may add files or folders to it";
    }
    return "unknown";
}
