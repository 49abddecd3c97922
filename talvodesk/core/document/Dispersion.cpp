#include "talvodesk/core/document/Dispersion.h"

#include <chrono>
#include <random>

namespace talvodesk {

namespace {

struct Offset {
    int x;
    int y;
};

constexpr std::array<Offset, 60> kOffsets{{
    {0, 50},  {0, -50},   {-29, 30}, {29, 20},   {-30, -30}, {28, 20},   {-33, 10}, {20, -28}, {34, 0},   {0, 29},
    {-30, 0}, {-10, -25}, {-18, 20}, {24, 10},   {25, -10},  {-22, -13}, {10, 18},  {0, -22},  {-18, 10}, {13, -14},
    {18, 0},  {-19, 0},   {-6, 20},  {-12, -17}, {15, 13},   {-12, 15},  {-16, 9},  {7, -17},  {17, 6},   {4, 19},
    {18, -8}, {-18, 6},   {-5, -15}, {-12, 9},   {12, 8},    {12, 10},   {-4, 16},  {-12, -5}, {5, 11},   {-13, 4},
    {6, -11}, {12, 0},    {-6, -9},  {-6, -11},  {10, 5},    {9, -5},    {0, 10},   {0, -15},  {-7, -8},  {7, 7},
    {3, -7},  {-11, 0},   {-5, -5},  {0, 5},     {45, 0},    {-45, 0},   {3, -2},   {-2, 2},   {2, 2},    {0, 0},
}};

} // namespace

Dispersion::Dispersion()
{
    std::minstd_rand random(static_cast<std::uint32_t>(std::chrono::system_clock::now().time_since_epoch().count()));
    m_source = [random]() mutable { return std::uniform_int_distribution<int>(0, 32767)(random); };
}

Dispersion::Dispersion(std::function<int()> source) : m_source(std::move(source)) {}

int Dispersion::RandomIndex(int n)
{
    return m_source() * (n - 1) / 32767;
}

void Dispersion::GetDispersionOffset(float& dx, float& dy, float dispersion)
{
    const int drawn = RandomIndex(static_cast<int>(kOffsets.size()));
    int chosen = -1;
    for (int distance = 0; distance < static_cast<int>(kOffsets.size()) && chosen < 0; ++distance) {
        for (const int candidate : {drawn - distance, drawn + distance}) {
            if (candidate >= 0 && candidate < static_cast<int>(kOffsets.size()) &&
                !m_taken[static_cast<std::size_t>(candidate)]) {
                chosen = candidate;
                break;
            }
        }
    }
    if (chosen < 0) {
        m_taken.fill(false);
        chosen = drawn;
    }
    const Offset& offset = kOffsets[static_cast<std::size_t>(chosen)];
    dx = static_cast<float>(offset.x) * dispersion / 100.0F;
    dy = static_cast<float>(offset.y) * dispersion / 100.0F;
    m_taken[static_cast<std::size_t>(chosen)] = true;
}

void GetDispersionOffset(float& dx, float& dy, float dispersion)
{
    static Dispersion generator;
    generator.GetDispersionOffset(dx, dy, dispersion);
}

} // namespace talvodesk
