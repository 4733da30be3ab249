// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A bounded ring that hands values from one producer thread to one consumer thread. After
// construction neither side allocates, locks or waits: a full ring refuses the value and
// the producer decides what to do about it.

#include <atomic>
#include <cstdint>
#include <memory>

template <typename T, uint32_t Size> class SpscRing {
    // The indices run freely and wrap at 2^32, so slots are found by masking.
    static_assert(Size > 0 && (Size & (Size - 1)) == 0,
                  "an SpscRing's capacity must be a power of two");

public:
    SpscRing() : items_(new T[Size]()) {}
    SpscRing(const SpscRing&) = delete;
    SpscRing& operator=(const SpscRing&) = delete;

    static constexpr uint32_t Capacity() { return Size; }

    // Producer: false when the ring is full.
    bool TryPush(const T& value) {
        const uint32_t tail = tail_.load(std::memory_order_relaxed);
        if (tail - head_.load(std::memory_order_acquire) > kMask) return false;
        items_[tail & kMask] = value;
        tail_.store(tail + 1, std::memory_order_release);
        return true;
    }

    // Consumer: the oldest value, or none when the ring is empty.
    const T* Front() const {
        const uint32_t head = head_.load(std::memory_order_relaxed);
        if (head == tail_.load(std::memory_order_acquire)) return nullptr;
        return &items_[head & kMask];
    }
    // Consumer: drops the value Front answered.
    void Pop() {
        head_.store(head_.load(std::memory_order_relaxed) + 1, std::memory_order_release);
    }

private:
    static constexpr uint32_t kMask = Size - 1;
    std::unique_ptr<T[]> items_;
    alignas(64) std::atomic<uint32_t> head_{0};
    alignas(64) std::atomic<uint32_t> tail_{0};
};
