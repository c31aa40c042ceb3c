#include "win32/ProcessUser.h"

namespace velt {

std::vector<BYTE> ProcessUser(HANDLE process) {
    HANDLE token = nullptr;
    if (!OpenProcessToken(process, TOKEN_QUERY, &token)) {
        return {};
    }
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::vector<BYTE> buffer(size);
    const bool ok = size != 0 && GetTokenInformation(token, TokenUser, buffer.data(), size, &size);
    CloseHandle(token);
    if (!ok || !IsValidSid(reinterpret_cast<const TOKEN_USER*>(buffer.data())->User.Sid)) {
        return {};
    }
    return buffer;
}

} // namespace velt
