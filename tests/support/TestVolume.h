// The volume of the randomized tests: one knob, ZELM_TEST_VOLUME, in percent of each test's
// full count (100 when unset). The sanitizer build runs a short volume of the tests that the
// normal build runs in full.
#pragma once

#include <algorithm>
#include <cstdlib>

namespace zelm::test {

/// `fullCount` scaled by ZELM_TEST_VOLUME, at least 1.
inline int Volume(int fullCount) {
    const char* percent = std::getenv("ZELM_TEST_VOLUME");
    const long scaled = percent ? long(fullCount) * std::atol(percent) / 100 : fullCount;
    return int(std::clamp<long>(scaled, 1, 1L << 30));
}

} // namespace zelm::test
