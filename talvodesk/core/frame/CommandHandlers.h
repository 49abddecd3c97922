#pragma once

#include "talvodesk/core/frame/CommandIds.h"

#include <span>

namespace talvodesk {

/// What the frame does for each command of the command table. The window layer implements it; the handler table
/// below says which operation answers which command. A handler that serves several commands gets the identifier.
/// Owner thread only.
class FrameCommandHandlers {
public:
    // Practices and files.
    virtual void onStartPractice(cmd::Id) = 0;
    virtual void onStopPractice(cmd::Id) = 0;
    virtual void onOpen(cmd::Id) = 0;
    virtual void onSave(cmd::Id) = 0;
    virtual void onOpenModel(cmd::Id) = 0;
    virtual void onCloseModel(cmd::Id) = 0;
    virtual void onSendMail(cmd::Id) = 0;
    virtual void onSendToFolder(cmd::Id) = 0;
    virtual void onExit(cmd::Id) = 0;
    virtual void onPrint(cmd::Id) = 0;
    virtual void onPrintPreview(cmd::Id) = 0;
    virtual void onPrintSetup(cmd::Id) = 0;
    virtual void onShotPrint(cmd::Id) = 0;
    virtual void onPrintTarget(cmd::Id) = 0;
    /// The preview's next or previous page.
    virtual void onPreviewPage(cmd::Id) = 0;
    virtual void onClosePreview(cmd::Id) = 0;

    // Shots and replay.
    virtual void onHideShot(cmd::Id) = 0;
    /// Delete sighting shots or all shots.
    virtual void onDeleteShots(cmd::Id) = 0;
    virtual void onReplay(cmd::Id) = 0;
    virtual void onReplayAll(cmd::Id) = 0;
    virtual void onShotsParameters(cmd::Id) = 0;

    // The running practice.
    virtual void onCalibrate(cmd::Id) = 0;
    virtual void onMatch(cmd::Id) = 0;
    virtual void onResetTraceTarget(cmd::Id) = 0;
    virtual void onContinue(cmd::Id) = 0;
    /// Prone, Standing or Kneeling.
    virtual void onPosition(cmd::Id) = 0;
    virtual void onResetHardware(cmd::Id) = 0;

    // Views, panes and bars.
    /// One of the eight views.
    virtual void onView(cmd::Id) = 0;
    /// Shot list or Series.
    virtual void onSeriesPaneMode(cmd::Id) = 0;
    virtual void onClosePane(cmd::Id) = 0;
    virtual void onToolbar(cmd::Id) = 0;
    virtual void onStatusBar(cmd::Id) = 0;
    virtual void onDisplaySightings(cmd::Id) = 0;
    virtual void onDisplayAllTraces(cmd::Id) = 0;
    virtual void onDisplayHiddenShots(cmd::Id) = 0;
    virtual void onFullScreen(cmd::Id) = 0;
    virtual void onExpertMode(cmd::Id) = 0;

    // Settings and help.
    virtual void onOptions(cmd::Id) = 0;
    virtual void onSound(cmd::Id) = 0;
    virtual void onHelp(cmd::Id) = 0;
    virtual void onWebPage(cmd::Id) = 0;
    virtual void onAbout(cmd::Id) = 0;

protected:
    ~FrameCommandHandlers() = default;
};

using CommandHandler = void (FrameCommandHandlers::*)(cmd::Id);

struct CommandHandlerEntry {
    cmd::Id id;
    CommandHandler run;
};

/// The handler of every command of the command table; the language items have their own table.
std::span<const CommandHandlerEntry> CommandHandlers();
/// Null for an identifier without a handler.
CommandHandler FindCommandHandler(cmd::Id id);

} // namespace talvodesk
