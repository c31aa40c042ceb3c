// Shared step counter of the store doubles: every change a double makes to its "disk" or
// registry is one step, and a test can have the process "die" just before step k.
#pragma once

#include <cstdint>

namespace velt {

// Thrown by a double when the simulated process dies. Deliberately not a StoreError (nor any
// std::exception): nothing in the program may catch it, and the doubles' state stays exactly as
// it was at that instant.
struct ProcessDeath {
    std::int64_t step = 0;
};

class FaultClock {
  public:
    // Counts one step; throws ProcessDeath instead when this is the step to die before.
    void Step() {
        ++steps_;
        if (dieBefore_ > 0 && steps_ == dieBefore_) {
            throw ProcessDeath{steps_};
        }
    }
    std::int64_t Steps() const { return steps_; }
    // Starts counting again and dies just before step k (from 1); 0 counts without dying.
    void DieBeforeStep(std::int64_t k) {
        steps_ = 0;
        dieBefore_ = k;
    }
    // Stops dying; the count stays readable.
    void Disarm() { dieBefore_ = 0; }

  private:
    std::int64_t steps_ = 0;
    std::int64_t dieBefore_ = 0;
};

} // namespace velt
