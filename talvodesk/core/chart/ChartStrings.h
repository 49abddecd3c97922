#pragma once

#include <cstdint>

namespace talvodesk::chartstrings {

// String-table numbers of the graph views.
inline constexpr std::uint32_t kTimeBeforeShot = 61500;
inline constexpr std::uint32_t kDistance = 61501;
inline constexpr std::uint32_t kDisplacementX = 61502;
inline constexpr std::uint32_t kDisplacementY = 61503;
inline constexpr std::uint32_t kAbsoluteDistance = 61504;
inline constexpr std::uint32_t kTrigger = 61505;
inline constexpr std::uint32_t kStanding = 61506;
inline constexpr std::uint32_t kProne = 61507;
inline constexpr std::uint32_t kCoordinationShots = 61508;
inline constexpr std::uint32_t kModelShots = 61509;
inline constexpr std::uint32_t kCalculatingCoordination = 61510;
inline constexpr std::uint32_t kBulletDispersion = 61511;
inline constexpr std::uint32_t kProbability = 61512;
inline constexpr std::uint32_t kResult = 61513;
inline constexpr std::uint32_t kCalculatingProbability = 61514;
inline constexpr std::uint32_t kControlInterval2 = 61515;
inline constexpr std::uint32_t kFractionMode = 61516;
/// The face of the upward-reading axis titles.
inline constexpr std::uint32_t kVerticalFace = 61517;

} // namespace talvodesk::chartstrings
