#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <optional>
#include <utility>

namespace velmora::swf {

// A fixed-size queue between exactly one producing thread and one consuming thread, without
// locks: neither side ever waits for the other, which is what the audio thread needs, since a
// stalled window must never hold it up. Capacity is a power of two; one slot stays free.
//
// push() is only called from the producer, pop() only from the consumer. Elements are moved in
// and out; an element left in the ring is destroyed with the ring.
template <typename T, size_t Capacity>
class SpscRing {
    static_assert(Capacity >= 2 && (Capacity & (Capacity - 1)) == 0, "capacity must be a power of two");

public:
    // False, leaving value untouched, when the ring is full.
    bool push(T&& value) {
        const size_t tail = tail_.load(std::memory_order_relaxed);
        const size_t next = (tail + 1) & (Capacity - 1);
        if (next == head_.load(std::memory_order_acquire)) return false;
        slots_[tail] = std::move(value);
        tail_.store(next, std::memory_order_release);
        return true;
    }

    // The oldest element, or nullopt when the ring is empty.
    std::optional<T> pop() {
        const size_t head = head_.load(std::memory_order_relaxed);
        if (head == tail_.load(std::memory_order_acquire)) return std::nullopt;
        std::optional<T> value(std::move(slots_[head]));
        slots_[head] = T{};  // lets go of what the element held now, not when the slot is reused
        head_.store((head + 1) & (Capacity - 1), std::memory_order_release);
        return value;
    }

    // Either side may ask; the answer may be stale by the time it is used.
    bool empty() const {
        return head_.load(std::memory_order_acquire) == tail_.load(std::memory_order_acquire);
    }

private:
    std::array<T, Capacity> slots_{};
    alignas(64) std::atomic<size_t> head_{0};  // next to pop: written by the consumer
    alignas(64) std::atomic<size_t> tail_{0};  // next to fill: written by the producer
};

}  // namespace velmora::swf
