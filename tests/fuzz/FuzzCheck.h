// The fuzz targets' assertion: a broken rule ends the run as a crash, which libFuzzer reports
// with the input that caused it.
#pragma once

#include <cstdlib>

namespace velt::fuzz {

inline void Check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

} // namespace velt::fuzz
