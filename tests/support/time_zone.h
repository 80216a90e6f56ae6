#pragma once

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

namespace velmora::test {

// Sets the process's time zone for one test and puts the old one back, so that date tests see
// the same local time on every machine.
class TimeZone {
public:
    explicit TimeZone(const char* zone) {
        if (const char* old = std::getenv("TZ")) old_ = old;
        setenv("TZ", zone, 1);
        tzset();
    }
    ~TimeZone() {
        if (old_) setenv("TZ", old_->c_str(), 1);
        else unsetenv("TZ");
        tzset();
    }
    TimeZone(const TimeZone&) = delete;
    TimeZone& operator=(const TimeZone&) = delete;

private:
    std::optional<std::string> old_;
};

}  // namespace velmora::test
