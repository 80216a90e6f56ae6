#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

namespace velmora::test {

// A path in the test temp folder for a file called `stem`, unique to this process and the running
// test: ctest runs the tests of one program side by side, and a shared name lets one test read the
// file another is writing.
inline std::string uniqueTempPath(const std::string& stem) {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    const std::string test = info ? std::string(info->test_suite_name()) + "." + info->name() : "none";
    return ::testing::TempDir() + "velmora-" + std::to_string(getpid()) + "-" + test + "-" + stem;
}

}  // namespace velmora::test
