#pragma once

#include "talvodesk/app/Program.h"
#include "talvodesk/core/document/ShotCollectionFactory.h"
#include "talvodesk/core/document/TalvoData.h"
#include "talvodesk/core/frame/CommandHandlers.h"
#include "talvodesk/core/frame/CommandState.h"
#include "talvodesk/core/frame/FrameHints.h"
#include "talvodesk/core/frame/FrameKeys.h"
#include "talvodesk/core/frame/FramePlacement.h"
#include "talvodesk/core/frame/FrameTimers.h"
#include "talvodesk/core/livedata/LiveDataServer.h"
#include "talvodesk/core/options/AppModule.h"
#include "talvodesk/core/practice/PracticeLifecycle.h"
#include "talvodesk/core/practice/PracticeRun.h"
#include "talvodesk/core/range/RangeFrame.h"
#include "talvodesk/core/range/RangePacing.h"
#include "talvodesk/core/range/RangeSequence.h"
#include "talvodesk/core/range/RangeSteps.h"
#include "talvodesk/core/sound/BlindTone.h"
#include "talvodesk/views/FrameServices.h"
#include "talvodesk/views/ReportViews.h"

#include "platform/registry/Key.h"
#include "platform/sound/SoundManager.h"

#include <QMainWindow>
#include <QPointer>
#include <QProgressBar>
#include <QRect>
#include <QTimer>

#include <filesystem>
#include <map>
#include <memory>
#include <optional>

class QKeyEvent;
class QLabel;
class QSocketNotifier;
class QSplitter;
class QStackedWidget;
class QToolBar;

namespace platform::time {
class Clock;
}

namespace talvodesk {

class CChartView;
class COptions;
class CSeriesView;
class CInfoView;
class CTraceView;
class FramePrinting;
class FrameDialogs;
class ServerLockMonitor;

/// The program's one top-level window: bars, the series pane and the tabbed views, the command layer and the
/// timers. Its rules live in talvodesk/core; this class turns Qt events into calls on them. Main thread only.
class MainFrame final : public QMainWindow,
                        public CMainFrameBase,
                        public CView,
                        private DocumentServices,
                        private FrameCommandHandlers,
                        private FrameActions,
                        private FrameKeyTargets,
                        private PracticeFrame,
                        private RangeFrame {
    Q_OBJECT
public:
    /// What the frame uses and does not own.
    struct Services {
        CTalvoAppModule& module;
        CTalvoAppModule::Environment environment;
        COptions& options;
        ServerLockMonitor& monitor;
        platform::time::Clock& clock;
        FrameDialogs& dialogs;
        SoundOutput soundOutput;
        /// The collections of the shots on the report's target pictures.
        ShotCollectionFactory newShots;
    };

    explicit MainFrame(Services services);
    ~MainFrame() override;

    /// Opens a practice file into the document; on success shows both panes when no practice was open.
    bool openFile(const std::filesystem::path& path);
    /// The open command's failure: only the right pane and "Unable to load file." with the read error.
    void reportOpenFailure(const std::filesystem::path& path);
    /// A command by its identifier, as the menus, keys and tool bars run it.
    void runCommand(cmd::Id id);
    /// Marks the frame as shown: only a shown frame stores its placement when it closes.
    void markShown() { m_shown = true; }
    /// Runs the practice start of the command line; false ends the program without a window.
    bool startPractice(const std::string& eventName, const std::string& shooterName);
    /// The frame's handling of the running practice's device events.
    const PracticeRun& practiceRun() const { return m_practice; }

    CTalvoData& document() { return m_data; }
    /// The counts of sighting and match shots (hidden shots only while they are displayed).
    std::uint32_t sightingShots();
    std::uint32_t matchShots();
    cmd::Id currentView() const { return m_currentView; }
    QAction* action(cmd::Id id) const;
    bool isFullScreenMode() const { return m_fullScreen; }
    FrameSnapshot snapshot();
    void refreshCommandStates() override;

    // CMainFrameBase
    QStatusBar* statusBarControl() override;
    QProgressBar* progressBar() override { return m_progress; }
    bool BeginProgress(std::uint32_t textId) override;
    void EndProgress() override;
    std::int32_t GetEventCode() override { return static_cast<std::int32_t>(m_data.GetEventCode()); }
    bool devicePresent() override { return m_lifecycle.HasDevice(); }
    bool matchMode() override { return m_lifecycle.HasDevice() && m_practice.MatchMode(); }
    bool GetDevice(ITalvoDevice** device) override;
    bool uiLock() override { return m_uiLock; }
    bool setUiLock(bool locked) override { return m_uiLock = locked; }

signals:
    /// A command ran (after its handler).
    void commandRan(int id);

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

    // CView: the frame is a view of its own document.
    void OnUpdate(CView* sender, DocumentHint hint, const HintPayload& payload) override;

private:
    // DocumentServices
    void SetProgress(long done, long total) override;
    void SetWaitCursor(bool wait) override;
    Answer AskYesNoCancel(std::uint32_t textId) override;
    void ReportSaveFailure(const std::u16string& reason) override;

    // FrameActions
    void refreshStatus() override;
    void applyExpertVisibility() override;
    void refreshPrintPreview() override;
    void switchToView(cmd::Id view) override;
    void playSound(std::u16string_view name) override;
    void speakResult(IShot* shot) override;
    void startReplay() override { (void)m_data.StartReplay(); }
    void replayNextShot() override;
    void releaseOpenAiming() override { m_hints.flags.aimingOpen = false; }
    void addSensorCorrection(float dx, float dy) override;

    // FrameKeyTargets
    bool HasPrintPreview() override;
    bool IsFullScreen() override { return m_fullScreen; }
    void PostCommand(std::uint16_t command) override;
    void SendCommand(std::uint16_t command) override { runCommand(static_cast<cmd::Id>(command)); }
    void SetTargetZoom(int zoom) override;
    /// Qt's shortcuts translate the accelerators once the rules leave a key alone.
    bool TranslateAccelerator(const KeyDown&) override { return false; }
    bool InfoViewHasFocus() override { return false; }
    bool InfoViewPreTranslate(const KeyDown&) override { return false; }
    bool TraceViewVisible() override { return m_currentView == cmd::ViewTrace; }
    bool TraceViewKey(const KeyDown& key) override;
    bool SeriesViewHasFocus() override;
    bool SeriesViewNavigate(const KeyDown& key) override;
    void SetStatusText(const std::u16string& text) override;
    std::u16string_view LoadString(std::uint32_t id) override { return m_services.module.LoadString(id); }
    PracticeDevice* Device() override { return m_practice.Device(); }

    // PracticeFrame
    platform::com::ComPtr<ITalvoDevice> CreateDevice() override;
    std::optional<StartPracticeChoice> RunStartDialog(ITalvoDevice* device, const std::u16string& eventName,
                                                      const std::u16string& shooterName) override;
    void RunCalibrationDialog(ITalvoDevice* device) override;
    void ShowSeriesPane(bool hide) override { showSeriesPane(hide); }
    void FocusSeriesView() override;
    void SwitchToTraceView() override { switchToView(cmd::ViewTrace); }
    void RefreshExpertMode() override;
    void RefreshCommandStates() override { refreshCommandStates(); }
    void PostCalibration() override { PostCommand(cmd::AdjustSensor); }
    void ClearReplayAll() override { m_hints.flags.replayAll = false; }
    void ClearAutoReplay() override;
    void ReleaseOpenAiming() override;
    void ResetRangeSequence() override { m_range.Begin(); }
    void StartRangePacing(std::chrono::milliseconds period) override;
    bool StopRangePacing() override { return m_pacing.StopRangePacing(); }

    // RangeFrame
    ITalvoDevice* rangeDevice() override { return m_lifecycle.Device(); }
    void lightOff() override { m_practice.SemaphoreOff(); }
    void lightRed() override { m_practice.SemaphoreRed(); }
    void lightGreen() override { m_practice.SemaphoreGreen(); }
    bool isShootingWindowOpen() const override { return m_practice.ShootingWindowOpen(); }
    void setShootingWindowOpen(bool open) override { m_practice.SetShootingWindowOpen(open); }
    void calibrate() override { runCommand(cmd::AdjustSensor); }
    void enterMatchMode() override { runCommand(cmd::Match); }
    void playPrompt(std::u16string_view name) override { playSound(name); }
    void stopPractice() override { runCommand(cmd::StopPractice); }

    // FrameCommandHandlers
    void onStartPractice(cmd::Id) override;
    void onStopPractice(cmd::Id) override { m_lifecycle.OnStopPractice(); }
    void onOpen(cmd::Id) override;
    void onSave(cmd::Id) override;
    void onOpenModel(cmd::Id) override;
    void onCloseModel(cmd::Id) override { (void)m_data.CloseModel(); } // nothing to close is not an error here
    void onSendMail(cmd::Id) override;
    void onSendToFolder(cmd::Id) override;
    void onExit(cmd::Id) override;
    void onPrint(cmd::Id) override;
    void onPrintPreview(cmd::Id) override;
    void onPrintSetup(cmd::Id) override;
    void onShotPrint(cmd::Id) override;
    void onPrintTarget(cmd::Id) override;
    void onPreviewPage(cmd::Id) override;
    void onClosePreview(cmd::Id) override;
    void onHideShot(cmd::Id) override;
    void onDeleteShots(cmd::Id id) override;
    void onReplay(cmd::Id) override;
    void onReplayAll(cmd::Id) override;
    void onShotsParameters(cmd::Id) override;
    void onCalibrate(cmd::Id) override;
    /// Match mode on: the aimings that follow count as match aimings.
    void onMatch(cmd::Id) override;
    void onResetTraceTarget(cmd::Id) override;
    void onContinue(cmd::Id) override { (void)m_rangeSteps.chooseContinue(); } // only while a step waits
    void onPosition(cmd::Id id) override;
    void onResetHardware(cmd::Id) override;
    void onView(cmd::Id id) override;
    void onSeriesPaneMode(cmd::Id id) override;
    void onClosePane(cmd::Id) override { m_leftPane->hide(); }
    void onToolbar(cmd::Id) override;
    void onStatusBar(cmd::Id) override;
    void onDisplaySightings(cmd::Id) override { m_data.SetShowSightings(!m_data.ShowSightings(), true); }
    void onDisplayAllTraces(cmd::Id) override;
    void onDisplayHiddenShots(cmd::Id) override;
    void onFullScreen(cmd::Id) override;
    void onExpertMode(cmd::Id) override;
    void onOptions(cmd::Id) override;
    void onSound(cmd::Id) override;
    void onHelp(cmd::Id) override { openHelp(0); }
    void onWebPage(cmd::Id) override;
    void onAbout(cmd::Id) override;

    /// The frame's key rules, before Qt's shortcuts; true when they consumed the key.
    bool preTranslateKey(QObject* receiver, const QKeyEvent& key);

    void createActions();
    /// The menu texts, hints and tool bar tips of every command in the language in force.
    void applyCommandTexts();
    void applyButtonTexts(QAction* button, cmd::Id id);
    void buildMenus();
    void fillLanguageMenu(QMenu* menu);
    QToolBar* makeToolBar(const QString& name, std::initializer_list<cmd::Id> ids);
    void addButton(QToolBar* bar, cmd::Id id);
    QWidget* makeRightPane();
    /// The graph view of a page name; null for the other pages.
    CChartView* makeChartView(std::string_view name);
    QWidget* makeLeftPane();
    void restoreBands();
    void saveBands();
    void showSeriesPane(bool hide);
    /// The series pane's title follows the series view's mode (with the command states).
    void updateShotListCaption();
    void deliverHint(std::uint32_t hint);
    void armTimer();
    /// The print preview in place of the views, or the views back for null.
    void showPrintPreview(QWidget* preview);
    void onTimer();
    void showStatusText(const QString& text);

    void applyExpertMode();
    void onLanguage(LCID locale);
    /// Lays the frame and every window opened later out in the reading direction of the language in force.
    void applyMirroredLayout();
    void openChosenFile(const std::filesystem::path& path);
    /// "Unable to load file." with the reason on a second line.
    QString loadFailure(const std::filesystem::path& path) const;
    void openHelp(std::uint32_t topic);
    /// F1's topic: the command of the menu item under the pointer, else of the dialog open, else the home page.
    std::uint32_t helpTopicAt(QObject* receiver) const;
    /// Stores the options; one that cannot be stored only lasts this run.
    void saveOptions();
    void shutDown();
    QString text(std::uint32_t id) const;

    Services m_services;
    std::optional<platform::registry::Key> m_root;
    CTalvoData m_data;
    /// Null when another program serves live data here.
    std::unique_ptr<LiveDataServer> m_live;
    std::unique_ptr<QSocketNotifier> m_liveNotifier;
    PracticeRun m_practice;
    RangePacing m_pacing;
    RangeSteps m_rangeSteps;
    RangeSequence m_range;
    PracticeLifecycle m_lifecycle;
    FrameTimers m_timers;
    FrameHintReactions m_hints;
    platform::sound::CSoundManager m_sound;
    bool m_soundReady = false;
    /// The blind-training tone; null without a sound output.
    std::unique_ptr<BlindTone> m_tone;
    std::unique_ptr<ViewReportSources> m_reportSources;
    std::unique_ptr<FramePrinting> m_printing;

    std::map<cmd::Id, QAction*> m_actions;
    /// The tool-bar buttons of each command; shaping hides these, never the menu items.
    std::multimap<cmd::Id, QAction*> m_buttons;
    QToolBar* m_mainToolBar = nullptr;
    QToolBar* m_previewToolBar = nullptr;
    /// "Page N of M" on the preview's tool bar.
    QLabel* m_previewPageText = nullptr;
    QToolBar* m_viewsToolBar = nullptr;
    QToolBar* m_displayToolBar = nullptr;
    QLabel* m_statusText = nullptr;
    QPointer<QProgressBar> m_progress;
    QSplitter* m_splitter = nullptr;
    QWidget* m_leftPane = nullptr;
    QLabel* m_paneCaption = nullptr;
    QStackedWidget* m_views = nullptr;
    CTraceView* m_traceView = nullptr;
    CSeriesView* m_seriesView = nullptr;
    CInfoView* m_infoView = nullptr;
    /// The graph views the report prints, typed as the frame makes them.
    ViewReportSources::Charts m_reportCharts;
    QTimer m_timer;

    FrameSettings m_settings;
    cmd::Id m_currentView = cmd::ViewInfo;
    bool m_shotListMode = true;
    /// The series view's display of every aiming's trace, which the command toggles.
    bool m_fullScreen = false;
    QRect m_normalGeometry;
    bool m_uiLock = false;
    bool m_shown = false;
    bool m_closed = false;
    std::uint32_t m_lastDataTick = 0;
    /// The key whose press the rules consumed at its shortcut override; its press is then dropped.
    int m_consumedKey = 0;
    /// The command running, whose dialog may be open.
    cmd::Id m_dialogCommand = 0;
    int m_mailAvailable = -1;
};

} // namespace talvodesk
