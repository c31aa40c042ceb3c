#include "app/ProgramEvents.h"

#include <string>

namespace velt {

namespace {

LogEntry Entry(EventId id, LogType type, std::initializer_list<std::string_view> inserts = {}) {
    LogEntry entry{id, type, {}};
    for (const std::string_view insert : inserts) {
        entry.inserts.emplace_back(insert);
    }
    return entry;
}

} // namespace

LogEntry ProtectionOnEntry(std::string_view profileName) {
    return Entry(kEventProtectionOn, LogType::Information, {profileName});
}

LogEntry ProtectionOffEntry(OffCause cause) {
    static constexpr struct {
        OffCause cause;
        EventId id;
    } kIds[] = {{OffCause::User, kEventOffByUser},
                {OffCause::Lock, kEventOffOnLock},
                {OffCause::Sleep, kEventOffOnSleep},
                {OffCause::Idle, kEventOffOnIdle},
                {OffCause::SessionEnd, kEventOffOnSessionEnd},
                {OffCause::Quit, kEventOffOnQuit},
                {OffCause::CommandLine, kEventOffByCommand}};
    EventId id = kEventOffByUser;
    for (const auto& entry : kIds) {
        if (entry.cause == cause) {
            id = entry.id;
        }
    }
    return Entry(id, LogType::Information);
}

LogEntry StopRefusedEntry() {
    return Entry(kEventStopRefused, LogType::Error);
}

LogEntry DriverFileRefusedEntry(std::string_view file, std::string_view reason) {
    return Entry(kEventDriverFileRefused, LogType::Error, {file, reason});
}

LogEntry SaveRefusedEntry(std::string_view keptAt) {
    return Entry(kEventSaveRefused, LogType::Error, {keptAt});
}

LogEntry SharedStoreRefusedEntry(std::string_view file, std::string_view reason) {
    return Entry(kEventSharedStoreRefused, LogType::Warning, {file, reason});
}

LogEntry OtherUserLockEntry() {
    return Entry(kEventOtherUserLock, LogType::Warning);
}

LogEntry CommandPipeTakenEntry(std::string_view pipe) {
    return Entry(kEventCommandPipeTaken, LogType::Error, {pipe});
}

LogEntry QuitEventUntrustedEntry(std::string_view event) {
    return Entry(kEventQuitEventUntrusted, LogType::Warning, {event});
}

std::string LogInsertText(std::string_view insert) {
    std::string out;
    for (const char c : insert.substr(0, kMaxLogInsert)) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20U || byte == 0x7FU) {
            out += ' ';
        } else if (c == '%') {
            out += "% ";
        } else {
            out += c;
        }
    }
    return out;
}

} // namespace velt
