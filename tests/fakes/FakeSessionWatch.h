// The clock and the last input, set by the test.
#pragma once

#include "platform/SessionWatch.h"

namespace velt {

class FakeSessionWatch final : public ISessionWatch {
  public:
    std::uint32_t now = 0;
    std::uint32_t lastInput = 0;

    std::uint32_t TickCount() override { return now; }
    std::uint32_t LastInputTick() override { return lastInput; }
};

} // namespace velt
