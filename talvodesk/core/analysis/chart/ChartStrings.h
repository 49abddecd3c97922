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

// The time shift, speed and time intervals views.
inline constexpr std::uint32_t kShiftModelShots = 32830;
inline constexpr std::uint32_t kTimeBeforeShotSec = 32831;
inline constexpr std::uint32_t kResultTitle = 32833;
inline constexpr std::uint32_t kTimeShiftShots = 32834;
inline constexpr std::uint32_t kSpeedTitle = 32835;
inline constexpr std::uint32_t kSpeedShots = 32836;
inline constexpr std::uint32_t kTimeTitle = 32839;
inline constexpr std::uint32_t kCalculatingSpeed = 32844;
inline constexpr std::uint32_t kCalculatingTimeShift = 32845;
inline constexpr std::uint32_t kFirstShot = 32858;
inline constexpr std::uint32_t kLastShot = 32859;
inline constexpr std::uint32_t kShotDetails = 61219;
inline constexpr std::uint32_t kCurrentShot = 61281;
inline constexpr std::uint32_t kPulse = 61287;
// The captions of the shot details page.
inline constexpr std::uint32_t kMatchShotNumber = 61518;
inline constexpr std::uint32_t kDateTime = 61519;
inline constexpr std::uint32_t kShotResult = 61520;
inline constexpr std::uint32_t kShotPulse = 61521;
inline constexpr std::uint32_t kTimeElapsed = 61522;
inline constexpr std::uint32_t kIntervalPrevious = 61523;
inline constexpr std::uint32_t kIntervalNext = 61524;

} // namespace talvodesk::chartstrings
