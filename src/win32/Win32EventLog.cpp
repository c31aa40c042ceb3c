#include "win32/Win32EventLog.h"

#include "app/ProgramEvents.h"
#include "win32/ProcessUser.h"

#include <vector>

namespace velt {

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
    // Every insert as plain text that stays one entry, whatever a stored name carries.
    std::vector<std::string> texts;
    for (const std::string& insert : entry.inserts) {
        texts.push_back(LogInsertText(insert));
    }
    std::vector<LPCSTR> inserts;
    for (const std::string& text : texts) {
        inserts.push_back(text.c_str());
    }
    // The user column of the entry.
    const std::vector<BYTE> user = ProcessUser(GetCurrentProcess());
    ReportEventA(
        source, static_cast<WORD>(entry.type), 0, entry.id,
        user.empty() ? nullptr : reinterpret_cast<const TOKEN_USER*>(user.data())->User.Sid,
        static_cast<WORD>(inserts.size()), 0, inserts.empty() ? nullptr : inserts.data(), nullptr);
}

} // namespace velt
