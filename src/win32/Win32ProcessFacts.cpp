#include "win32/Win32ProcessFacts.h"

#include "win32/SystemLibrary.h"
#include "win32/Win32Security.h"

#include <vector>

namespace velt {

namespace {

// Token information classes and rights of Windows Vista and later, which the XP headers lack.
constexpr TOKEN_INFORMATION_CLASS kTokenIntegrityLevel = static_cast<TOKEN_INFORMATION_CLASS>(25);
constexpr DWORD kQueryLimitedInformation = 0x1000;
constexpr DWORD kMaxTokenInformation = 1024;

bool HasIntegrityLevels() {
    return LOBYTE(LOWORD(GetVersion())) >= 6;
}

std::vector<BYTE> TokenInformation(HANDLE token, TOKEN_INFORMATION_CLASS kind) {
    DWORD size = 0;
    GetTokenInformation(token, kind, nullptr, 0, &size);
    if (size == 0 || size > kMaxTokenInformation) {
        return {};
    }
    std::vector<BYTE> buffer(size);
    if (GetTokenInformation(token, kind, buffer.data(), size, &size) == FALSE) {
        return {};
    }
    return buffer;
}

std::optional<std::uint32_t> IntegrityOf(HANDLE token) {
    if (!HasIntegrityLevels()) {
        return 0;
    }
    const std::vector<BYTE> label = TokenInformation(token, kTokenIntegrityLevel);
    if (label.empty()) {
        return std::nullopt;
    }
    // TOKEN_MANDATORY_LABEL: a SID_AND_ATTRIBUTES whose SID's last sub-authority is the level.
    PSID sid = reinterpret_cast<const SID_AND_ATTRIBUTES*>(label.data())->Sid;
    if (sid == nullptr || IsValidSid(sid) == FALSE || *GetSidSubAuthorityCount(sid) == 0) {
        return std::nullopt;
    }
    return *GetSidSubAuthority(sid, *GetSidSubAuthorityCount(sid) - 1U);
}

std::string ImageOf(HANDLE process) {
    char path[MAX_PATH * 2] = {};
    using QueryImage = BOOL(WINAPI*)(HANDLE, DWORD, LPSTR, PDWORD);
    if (const auto query = Kernel32Export<QueryImage>("QueryFullProcessImageNameA")) {
        DWORD size = sizeof path;
        return query(process, 0, path, &size) != FALSE && size < sizeof path ? path : "";
    }
    // Windows XP: the device form of the path, whose last part is the file's name all the same.
    using ImageFileName = DWORD(WINAPI*)(HANDLE, LPSTR, DWORD);
    const auto name =
        ExportOf<ImageFileName>(LoadSystemLibrary("psapi.dll"), "GetProcessImageFileNameA");
    const DWORD length = name != nullptr ? name(process, path, sizeof path) : 0;
    return length > 0 && length < sizeof path ? path : "";
}

} // namespace

ProcessFacts TokenFacts(HANDLE token) {
    ProcessFacts facts;
    const std::vector<BYTE> user = TokenInformation(token, TokenUser);
    if (!user.empty()) {
        facts.userSid = SidText(reinterpret_cast<const TOKEN_USER*>(user.data())->User.Sid);
    }
    DWORD session = 0;
    DWORD size = 0;
    if (GetTokenInformation(token, TokenSessionId, &session, sizeof session, &size) != FALSE) {
        facts.session = session;
    }
    facts.integrity = IntegrityOf(token);
    return facts;
}

ProcessFacts ProcessFactsOf(DWORD processId) {
    HANDLE process = OpenProcess(kQueryLimitedInformation, FALSE, processId);
    if (process == nullptr) {
        process = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, processId);
    }
    if (process == nullptr) {
        return {};
    }
    ProcessFacts facts;
    HANDLE token = nullptr;
    if (OpenProcessToken(process, TOKEN_QUERY, &token) != FALSE) {
        facts = TokenFacts(token);
        CloseHandle(token);
    }
    facts.image = ImageOf(process);
    CloseHandle(process);
    return facts;
}

ProcessFacts OwnProcessFacts() {
    return ProcessFactsOf(GetCurrentProcessId());
}

} // namespace velt
