#pragma once

#include <cstdint>
#include <optional>

namespace velmora {

// A playlist index held as a variant: it has no value until it is first set, counts as 0 in sums
// and comparisons while it has none, and then holds an integer. Adding 1 never fails: a sum
// beyond the 16-bit range simply becomes a wider integer (int64 range here, which no playlist
// reaches).
class VariantIndex {
public:
    bool hasValue() const { return value_.has_value(); }

    // The value, 0 while there is none.
    int64_t value() const { return value_.value_or(0); }

    void set(int16_t value) { value_ = value; }

    // value() + 1; always succeeds.
    void increment() { value_ = value() + 1; }

private:
    std::optional<int64_t> value_;
};

}  // namespace velmora
