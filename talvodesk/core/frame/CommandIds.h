#pragma once

#include <cstdint>

namespace talvodesk::cmd {

/// The frame's command identifiers, shared by the menu, the accelerators and the tool bars.
using Id = std::uint16_t;

inline constexpr Id StartPractice = 0x8004;
inline constexpr Id FileOpen = 0xE101;
inline constexpr Id FileSave = 0xE103;
inline constexpr Id OpenModel = 0x8005;
inline constexpr Id CloseModel = 0x8006;
inline constexpr Id Print = 0xE107;
inline constexpr Id PrintPreview = 0xE109;
inline constexpr Id PrintSetup = 0xE106;
inline constexpr Id PreviewNextPage = 0x8054;
inline constexpr Id PreviewPreviousPage = 0x8056;
inline constexpr Id PreviewClose = 0x8055;
inline constexpr Id SendMail = 0xE10C;
inline constexpr Id SendToFolder = 0xE10B;
inline constexpr Id Exit = 0xE141;
inline constexpr Id HideShot = 0x8008;
inline constexpr Id DeleteSightingShots = 0x8009;
inline constexpr Id DeleteAllShots = 0x800A;
inline constexpr Id Replay = 0x800B;
inline constexpr Id ReplayAll = 0x800C;
inline constexpr Id Match = 0x800D;
inline constexpr Id AdjustSensor = 0x800E;
inline constexpr Id Continue = 0x800F;
inline constexpr Id Prone = 0x8010;
inline constexpr Id Standing = 0x8011;
inline constexpr Id Kneeling = 0x8012;
inline constexpr Id StopPractice = 0x8013;
inline constexpr Id ViewInfo = 0x8014;
inline constexpr Id ViewTrace = 0x8015;
inline constexpr Id ViewDistance = 0x8016;
inline constexpr Id ViewCoordination = 0x8017;
inline constexpr Id ViewShift = 0x8018;
inline constexpr Id ViewSpeed = 0x8019;
inline constexpr Id ViewIntervals = 0x801A;
inline constexpr Id ViewProbability = 0x801B;
inline constexpr Id DisplayHiddenShots = 0x801C;
inline constexpr Id FullScreen = 0x801D;
inline constexpr Id PrintTarget = 0x801E;
inline constexpr Id Options = 0x801F;
inline constexpr Id WebPage = 0x8023;
inline constexpr Id LanguagePlaceholder = 0x8026;
inline constexpr Id ShotList = 0x8028;
inline constexpr Id Series = 0x802E;
inline constexpr Id DisplaySightings = 0x802F;
inline constexpr Id ResetTraceTarget = 0x8067;
inline constexpr Id ShotsParameters = 0x8069;
inline constexpr Id ResetHardware = 0x806A;
inline constexpr Id DisplayAllTraces = 0x806B;
inline constexpr Id ShotPrint = 0x8073;
inline constexpr Id ExpertMode = 0x8076;
inline constexpr Id Sound = 0x8078;
inline constexpr Id About = 0xE140;
inline constexpr Id Help = 0xE142;
inline constexpr Id ClosePane = 0xE152;
inline constexpr Id ViewToolbar = 0xE800;
inline constexpr Id ViewStatusBar = 0xE801;

/// The eight views in the order of their commands and of the view tool bar.
inline constexpr Id kViews[] = {ViewInfo,  ViewTrace, ViewDistance,  ViewCoordination,
                                ViewShift, ViewSpeed, ViewIntervals, ViewProbability};

} // namespace talvodesk::cmd
