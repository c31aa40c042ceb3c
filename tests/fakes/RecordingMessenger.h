// A messenger that records every message box and termination request instead of showing them.
#pragma once

#include "platform/Messenger.h"

#include <deque>
#include <string>
#include <vector>

namespace velt::fakes {

class RecordingMessenger : public IMessenger {
  public:
    struct Shown {
        std::string text;
        std::string caption;
        unsigned flags = 0;
        bool operator==(const Shown&) const = default;
    };

    std::vector<Shown> shown;
    int terminateRequests = 0;
    // Answers to give, in order; kIdOk once they run out.
    std::deque<int> answers;

    int ShowMessage(std::string_view text, std::string_view caption, unsigned flags) override;
    void RequestTerminate() override { ++terminateRequests; }
};

} // namespace velt::fakes
