#include "talvodesk/app/MenuLayout.h"

#include "talvodesk/core/frame/MenuTrimming.h"

namespace talvodesk {

std::span<const MenuPopup> MainMenu()
{
    using namespace cmd;
    constexpr cmd::Id sep = kSeparatorItem;
    constexpr cmd::Id sub = kSubmenuItem;
    static const std::vector<MenuPopup> s_menu = {
        {"&File",
         {StartPractice, FileOpen, FileSave, sep, OpenModel, CloseModel, sep, Print, PrintPreview, PrintSetup, sep, sub,
          sep, Exit},
         "Sen&d to",
         {SendMail, SendToFolder}},
        {"&Edit", {HideShot, sep, DeleteSightingShots, DeleteAllShots}, {}, {}},
        {"&Practice",
         {Replay, ReplayAll, ResetTraceTarget, sep, AdjustSensor, Match, Continue, sep, Prone, Standing, Kneeling, sep,
          StopPractice, sep, ResetHardware},
         {},
         {}},
        {"&View",
         {ViewToolbar,   ViewStatusBar,   sep,          ShotList,         Series,           sep,
          ViewInfo,      ViewTrace,       ViewDistance, ViewCoordination, ViewShift,        ViewSpeed,
          ViewIntervals, ViewProbability, sep,          DisplaySightings, DisplayAllTraces, DisplayHiddenShots,
          sep,           FullScreen,      sep,          ExpertMode},
         {},
         {}},
        {"&Tools", {PrintTarget, ShotsParameters, Options, sep, sub}, "&Language", {LanguagePlaceholder}},
        {"&Help", {Help, WebPage, sep, About}, {}, {}},
    };
    return s_menu;
}

} // namespace talvodesk
