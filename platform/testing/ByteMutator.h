#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace platform::testing {

/// Damages byte strings the same way on every machine, so a robustness test that fails once fails again.
class ByteMutator {
public:
    explicit ByteMutator(std::uint32_t seed) : m_seed(seed) {}

    std::uint32_t next()
    {
        m_seed = m_seed * 1103515245u + 12345u;
        return m_seed >> 8;
    }

    /// A copy of `bytes` with one to `maxEdits` bytes overwritten, cut short at a random length when `truncate`.
    std::vector<std::uint8_t> mutate(const std::vector<std::uint8_t>& bytes, int maxEdits, bool truncate = false)
    {
        auto mutated = bytes;
        if (mutated.empty()) {
            return mutated;
        }
        const auto edits = 1 + next() % static_cast<std::uint32_t>(maxEdits);
        for (std::uint32_t e = 0; e < edits; ++e) {
            mutated[next() % mutated.size()] = static_cast<std::uint8_t>(next());
        }
        if (truncate) {
            mutated.resize(next() % mutated.size());
        }
        return mutated;
    }

private:
    std::uint32_t m_seed;
};

} // namespace platform::testing
