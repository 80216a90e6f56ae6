#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <string_view>

namespace velmora::test {

// Whether VELMORA_REQUIRE_FIXTURES=1 is set (CI sets it): then nothing a test needs may be
// missing, and a test that would skip for want of the corpus, a tool, an encoder or a display
// fails instead, so that a broken setup cannot pass by skipping.
inline bool fixturesRequired() {
    const char* value = std::getenv("VELMORA_REQUIRE_FIXTURES");
    return value != nullptr && std::string_view(value) == "1";
}

}  // namespace velmora::test

// Ends the test for want of a fixture: skipped, with the reason, or failed with it where
// fixtures are required. The reason is streamed: VELMORA_MISSING_FIXTURE("no corpus at " << dir).
// The switch keeps an unbraced `if (...) VELMORA_MISSING_FIXTURE(...);` from taking its else.
#define VELMORA_MISSING_FIXTURE(reason)                                                   \
    switch (0)                                                                            \
    case 0:                                                                               \
    default:                                                                              \
        if (::velmora::test::fixturesRequired())                                          \
            GTEST_FAIL() << reason << " (a failure, since VELMORA_REQUIRE_FIXTURES=1)";  \
        else                                                                              \
            GTEST_SKIP() << reason
