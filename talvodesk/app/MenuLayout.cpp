#include "talvodesk/app/MenuLayout.h"

#include "talvodesk/core/frame/MenuTrimming.h"

namespace talvodesk {

std::span<const MenuPopup> MainMenu()
{
    using namespace cmd;
    constexpr cmd::Id sep = kSeparatorItem;
    constexpr cmd::Id sub = kSubmenuItem;
    static const std::vector<MenuPopup> s_menu = {
        {35100,
         {StartPractice, FileOpen, FileSave, sep, OpenModel, CloseModel, sep, Print, PrintPreview, PrintSetup, sep, sub,
          sep, Exit},
         35106,
         {SendMail, SendToFolder}},
        {35101, {HideShot, sep, DeleteSightingShots, DeleteAllShots}, 0, {}},
        {35102,
         {Replay, ReplayAll, ResetTraceTarget, sep, AdjustSensor, Match, Continue, sep, Prone, Standing, Kneeling, sep,
          StopPractice, sep, ResetHardware},
         0,
         {}},
        {35103,
         {ViewToolbar,   ViewStatusBar,   sep,          ShotList,         Series,           sep,
          ViewInfo,      ViewTrace,       ViewDistance, ViewCoordination, ViewShift,        ViewSpeed,
          ViewIntervals, ViewProbability, sep,          DisplaySightings, DisplayAllTraces, DisplayHiddenShots,
          sep,           FullScreen,      sep,          ExpertMode},
         0,
         {}},
        {35104, {PrintTarget, ShotsParameters, Options, sep, sub}, 35107, {LanguagePlaceholder}},
        {35105, {Help, WebPage, sep, About}, 0, {}},
    };
    return s_menu;
}

} // namespace talvodesk
