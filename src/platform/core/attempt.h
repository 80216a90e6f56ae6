#pragma once

#include <utility>

#include "platform/core/failure.h"

namespace velmora {

// Whether a handler ends at a failing step (the Failure propagates to its caller) or goes on
// with its next step.
enum class OnFailure { Stop, GoOn };

// Runs one step of a handler. Returns true when the step succeeded. A Failure of the step
// propagates when policy is Stop and is passed over (false) when it is GoOn. Handlers that go on
// past failures wrap every tolerated step in it, so the tolerated steps can be read off the code.
template <typename Step>
bool attempt(OnFailure policy, Step&& step) {
    if (policy == OnFailure::Stop) {
        std::forward<Step>(step)();
        return true;
    }
    try {
        std::forward<Step>(step)();
        return true;
    } catch (const Failure&) {
        return false;
    }
}

// The step is passed over when it fails.
template <typename Step>
bool attempt(Step&& step) {
    return attempt(OnFailure::GoOn, std::forward<Step>(step));
}

}  // namespace velmora
