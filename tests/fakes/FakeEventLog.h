// The Event Log as a list of what was reported.
#pragma once

#include "platform/EventLog.h"

namespace velt {

class FakeEventLog final : public IEventLog {
  public:
    std::vector<LogEntry> entries;
    void Report(const LogEntry& entry) override { entries.push_back(entry); }
};

} // namespace velt
