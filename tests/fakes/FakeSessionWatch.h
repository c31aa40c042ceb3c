// The clock, the last input and the lock notifications, set by the test.
#pragma once

#include "platform/SessionWatch.h"

#include <set>

namespace velt {

class FakeSessionWatch final : public ISessionWatch {
  public:
    std::uint32_t now = 0;
    std::uint32_t lastInput = 0;
    int refuse = 0;                // the next `refuse` requests for notifications fail
    std::set<const Form*> watched; // the forms that get notifications

    std::uint32_t TickCount() override { return now; }
    std::uint32_t LastInputTick() override { return lastInput; }
    bool Watch(Form& form) override {
        if (refuse > 0) {
            --refuse;
            return false;
        }
        watched.insert(&form);
        return true;
    }
    void Unwatch(Form& form) override { watched.erase(&form); }
};

} // namespace velt
