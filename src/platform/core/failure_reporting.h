#pragma once

#include <string>

namespace velmora {

// Where a handler reports a failure that it goes on past but that the user must still hear of
// (a movie that cannot be loaded). The toolkit's reporter shows it as it shows the failures that
// no handler dealt with: a notice over the movie area and a line on standard error.
class FailureReporting {
public:
    virtual ~FailureReporting() = default;
    // `where` names the handler; `what` says what failed, in words a user can read.
    virtual void report(const std::string& where, const std::string& what) = 0;
};

}  // namespace velmora
