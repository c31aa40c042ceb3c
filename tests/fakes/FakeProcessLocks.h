// The named locks, played by the test: the answer for each name, and the names asked for.
#pragma once

#include "platform/ProcessLocks.h"

#include <map>
#include <string>
#include <vector>

namespace velt {

class FakeProcessLocks final : public IProcessLocks {
  public:
    LockState answer = LockState::Free;
    std::map<std::string, LockState> answers; // by name, before `answer`
    std::vector<std::string> names;
    std::vector<std::uint32_t> timeouts;

    LockState Take(std::string_view name, std::uint32_t timeoutMs) override {
        names.emplace_back(name);
        timeouts.push_back(timeoutMs);
        const auto named = answers.find(std::string(name));
        return named != answers.end() ? named->second : answer;
    }
};

} // namespace velt
