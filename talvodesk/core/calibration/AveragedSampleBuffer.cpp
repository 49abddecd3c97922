#include "talvodesk/core/calibration/AveragedSampleBuffer.h"

namespace talvodesk {

float FloatSampleBuffer::Push(float value)
{
    float dropped = 0;
    if (IsFull()) {
        dropped = m_values[m_read];
        m_read = (m_read + 1) % kCapacity;
    } else {
        ++m_count;
    }
    m_values[m_write] = value;
    m_write = (m_write + 1) % kCapacity;
    return dropped;
}

void FloatSampleBuffer::Clear()
{
    m_values.fill(0);
    m_count = 0;
    m_read = 0;
    m_write = 0;
}

void AveragedSampleBuffer::Add(float value)
{
    m_sum -= m_samples.Push(value);
    m_sum += value;
}

void AveragedSampleBuffer::Clear()
{
    m_samples.Clear();
    m_sum = 0;
}

float AveragedSampleBuffer::Average() const
{
    return m_samples.Count() == 0 ? 0.0F : static_cast<float>(m_sum / static_cast<double>(m_samples.Count()));
}

} // namespace talvodesk
