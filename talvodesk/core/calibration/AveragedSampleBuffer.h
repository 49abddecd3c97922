#pragma once

#include <array>
#include <cstddef>

namespace talvodesk {

/// A ring of 20 floats: once full, a new value replaces the oldest. A value type.
class FloatSampleBuffer {
public:
    static constexpr std::size_t kCapacity = 20;

    /// The value that dropped out to make room, or 0 when there was room.
    float Push(float value);
    void Clear();
    std::size_t Count() const { return m_count; }
    bool IsFull() const { return m_count == kCapacity; }

private:
    std::array<float, kCapacity> m_values{};
    std::size_t m_count = 0;
    std::size_t m_read = 0;
    std::size_t m_write = 0;
};

/// The moving average of the last 20 values, kept as a running sum. A value type.
class AveragedSampleBuffer {
public:
    void Add(float value);
    /// Empties every slot and zeroes the running sum.
    void Clear();
    /// The running sum divided by the number of values held; 0 when none.
    float Average() const;
    bool IsFull() const { return m_samples.IsFull(); }

private:
    FloatSampleBuffer m_samples;
    double m_sum = 0;
};

} // namespace talvodesk
