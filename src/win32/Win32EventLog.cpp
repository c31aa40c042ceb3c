#include "win32/Win32EventLog.h"

#include <vector>

namespace velt {

namespace {

// The SID of the user this process runs for, for the entry's user column; empty when unknown.
std::vector<BYTE> ProcessUserSid() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) {
        return {};
    }
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::vector<BYTE> buffer(size);
    const bool ok = size != 0 && GetTokenInformation(token, TokenUser, buffer.data(), size, &size);
    CloseHandle(token);
    if (!ok) {
        return {};
    }
    const PSID sid = reinterpret_cast<const TOKEN_USER*>(buffer.data())->User.Sid;
    if (!IsValidSid(sid)) {
        return {};
    }
    const auto* first = static_cast<const BYTE*>(sid);
    return {first, first + GetLengthSid(sid)};
}

} // namespace

Win32EventLog::~Win32EventLog() {
    if (source_ != nullptr) {
        DeregisterEventSource(source_);
    }
}

HANDLE Win32EventLog::Source() {
    if (!tried_) {
        tried_ = true;
        // Without its registration the Event Viewer could show no text: a portable copy stays
        // silent instead.
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kEventSourceKey, 0, KEY_QUERY_VALUE, &key) ==
            ERROR_SUCCESS) {
            RegCloseKey(key);
            source_ = RegisterEventSourceA(nullptr, kEventSourceName);
        }
    }
    return source_;
}

void Win32EventLog::Report(const LogEntry& entry) {
    HANDLE source = Source();
    if (source == nullptr) {
        return;
    }
    std::vector<LPCSTR> inserts;
    for (const std::string& insert : entry.inserts) {
        inserts.push_back(insert.c_str());
    }
    std::vector<BYTE> sid = ProcessUserSid();
    ReportEventA(source, static_cast<WORD>(entry.type), 0, entry.id,
                 sid.empty() ? nullptr : static_cast<PSID>(sid.data()),
                 static_cast<WORD>(inserts.size()), 0, inserts.empty() ? nullptr : inserts.data(),
                 nullptr);
}

std::string Win32EventLog::UserName() {
    char name[257] = {};
    DWORD size = sizeof name;
    if (!GetUserNameA(name, &size)) {
        return {};
    }
    return name;
}

} // namespace velt
