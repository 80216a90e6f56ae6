#pragma once

#include <stdexcept>
#include <string>

namespace velmora {

// A failing step: a component or toolkit call that could not be carried out, an array bounds
// test that did not hold, or an arithmetic or conversion step whose result does not fit its type.
// what() says what failed in words a user can read; it is shown to the user by the toolkit when
// no handler continues past the failure.
class Failure : public std::runtime_error {
public:
    explicit Failure(const std::string& what) : std::runtime_error(what) {}
};

// Raised by the checked arithmetic and narrowing helpers (checked_int.h).
class OverflowFailure : public Failure {
public:
    explicit OverflowFailure(const std::string& what) : Failure(what) {}
};

}  // namespace velmora
