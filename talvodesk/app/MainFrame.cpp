#include "talvodesk/app/MainFrame.h"

#include "platform/fs/ProgramFolder.h"
#include "talvodesk/app/FrameDialogs.h"
#include "talvodesk/app/FramePrinting.h"
#include "talvodesk/app/MenuLayout.h"
#include "talvodesk/app/MessageBoxes.h"
#include "talvodesk/app/ResText.h"
#include "talvodesk/app/WindowHelpers.h"
#include "talvodesk/core/document/ShotFacts.h"
#include "talvodesk/core/frame/BandLayout.h"
#include "talvodesk/core/frame/Caption.h"
#include "talvodesk/core/frame/CommandTable.h"
#include "talvodesk/core/frame/FrameCommands.h"
#include "talvodesk/core/frame/FrameKeys.h"
#include "talvodesk/core/frame/HelpPages.h"
#include "talvodesk/core/frame/LanguageCommands.h"
#include "talvodesk/core/frame/MenuTrimming.h"
#include "talvodesk/core/options/Options.h"
#include "talvodesk/core/options/Settings.h"
#include "talvodesk/core/options/TextFormat.h"
#include "talvodesk/core/program/ServerLockMonitor.h"
#include "talvodesk/core/sound/SoundPlayback.h"
#include "talvodesk/views/CoordinationView.h"
#include "talvodesk/views/DistanceView.h"
#include "talvodesk/views/InfoView.h"
#include "talvodesk/views/ProbabilityView.h"
#include "talvodesk/views/ReportViews.h"
#include "talvodesk/views/SeriesView.h"
#include "talvodesk/views/SpeedView.h"
#include "talvodesk/views/TimeIntervalsView.h"
#include "talvodesk/views/TimeShiftView.h"
#include "talvodesk/views/TraceView.h"

#include "interfaces/talvolink/Guids.h"
#include "platform/com/Bstr.h"
#include "platform/com/ClassTable.h"
#include "platform/fs/ReadFile.h"
#include "platform/time/Clock.h"
#include "platform/ui/QtText.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDropEvent>
#include <QHBoxLayout>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProcess>
#include <QProgressBar>
#include <QSocketNotifier>
#include <QSplitter>
#include <QStackedWidget>
#include <QStandardPaths>
#include <QStatusBar>
#include <QStyle>
#include <QTextEdit>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>

namespace talvodesk {

namespace {

constexpr std::uint32_t kTitle = 128;
constexpr std::uint32_t kUntitled = 32816;
constexpr std::uint32_t kChooseFolder = 32847;
constexpr std::uint32_t kDeleteAll = 32850;
constexpr std::uint32_t kDeleteSighting = 32851;
constexpr std::uint32_t kUnableToLoad = 32863;
constexpr std::uint32_t kOpenModel = 61221;
constexpr std::uint32_t kIdleText = 0xE001;
constexpr std::uint32_t kUnableToSave = 32818;
constexpr std::uint32_t kUnableToSwitch = 36130;
constexpr std::uint32_t kRestoreShotQuestion = 36131;
constexpr std::uint32_t kHideShotQuestion = 36132;
constexpr std::uint32_t kMailFailed = 36133;
constexpr std::uint32_t kNotAPractice = 36134;
constexpr std::uint32_t kPageText = 36140;
constexpr std::uint32_t kOpenCaption = 61220;
constexpr int kProgressWidth = 150;

std::filesystem::path localPath(const QString& path)
{
    return std::filesystem::path(path.toStdString());
}

/// The views that need expert mode.
bool isExpertView(cmd::Id id)
{
    return id != cmd::ViewInfo && id != cmd::ViewTrace && id != cmd::ViewDistance;
}

/// A widget in which Space and Enter belong to the text being typed.
bool isTextEntry(const QWidget* widget)
{
    if (!widget) {
        return false;
    }
    if (const auto* combo = qobject_cast<const QComboBox*>(widget)) {
        return combo->isEditable();
    }
    return qobject_cast<const QLineEdit*>(widget) || qobject_cast<const QTextEdit*>(widget) ||
           qobject_cast<const QPlainTextEdit*>(widget) || qobject_cast<const QAbstractSpinBox*>(widget);
}

/// The key as the frame's rules name it: letters, digits, Enter, Escape and the keypad's digits, + and -; 0 for
/// any other key.
KeyDown keyDownOf(const QKeyEvent& key)
{
    const int code = key.key();
    const bool keypad = (key.modifiers() & Qt::KeypadModifier) != 0;
    std::uint32_t virtualKey = 0;
    if (code >= Qt::Key_0 && code <= Qt::Key_9) {
        virtualKey = static_cast<std::uint32_t>(keypad ? kKeyNumpad0 + (code - Qt::Key_0) : code);
    } else if (code >= Qt::Key_A && code <= Qt::Key_Z) {
        virtualKey = static_cast<std::uint32_t>(code);
    } else if (code == Qt::Key_Return || code == Qt::Key_Enter) {
        virtualKey = kKeyEnter;
    } else if (code == Qt::Key_Escape) {
        virtualKey = kKeyEscape;
    } else if (keypad && code == Qt::Key_Plus) {
        virtualKey = kKeyAdd;
    } else if (keypad && code == Qt::Key_Minus) {
        virtualKey = kKeySubtract;
    } else {
        virtualKey = NavigationVirtualKey(code);
    }
    return {virtualKey, (key.modifiers() & Qt::ControlModifier) != 0};
}

constexpr cmd::Id kCheckable[] = {
    cmd::Replay,
    cmd::ReplayAll,
    cmd::Prone,
    cmd::Standing,
    cmd::Kneeling,
    cmd::ExpertMode,
    cmd::ShotList,
    cmd::Series,
    cmd::ViewToolbar,
    cmd::ViewStatusBar,
    cmd::DisplaySightings,
    cmd::DisplayAllTraces,
    cmd::DisplayHiddenShots,
    cmd::FullScreen,
    cmd::Sound,
    cmd::ViewInfo,
    cmd::ViewTrace,
    cmd::ViewDistance,
    cmd::ViewCoordination,
    cmd::ViewShift,
    cmd::ViewSpeed,
    cmd::ViewIntervals,
    cmd::ViewProbability,
};

/// The live-data server at its usual socket; null when it cannot serve there (another program does).
std::unique_ptr<LiveDataServer> openLiveData()
{
    auto path = LiveDataServer::defaultSocketPath();
    if (!path) {
        return nullptr;
    }
    auto server = LiveDataServer::create(*path);
    return server ? std::move(*server) : nullptr;
}

const char* const kViewNames[] = {"InfoView",      "TraceView", "DistanceView",      "CoordinationView",
                                  "TimeShiftView", "SpeedView", "TimeIntervalsView", "ProbabilityView"};

} // namespace

MainFrame::MainFrame(Services services)
    : m_services(services), m_root(OpenSettingsRoot()),
      m_data(TalvoDataServices{this, m_root ? &*m_root : nullptr, &services.module, {}}), m_live(openLiveData()),
      m_practice({m_data, services.options, services.clock, this, m_live.get()}),
      m_pacing(services.clock,
               [this] {
                   return QMetaObject::invokeMethod(
                       this, [this] { m_range.OnRangeCommandStep(); }, Qt::QueuedConnection);
               }),
      m_rangeSteps(
          services.clock, [&module = services.module](std::uint32_t id) { return module.LoadString(id); },
          [this](const std::u16string& status) { SetStatusText(status); }),
      m_range(m_rangeSteps, m_pacing, m_data, *this),
      m_lifecycle({m_data, m_practice, *this, services.clock, m_root ? &*m_root : nullptr}), m_timers(services.clock),
      m_hints(m_timers, services.options, *this)
{
    m_data.AddView(this);
    if (m_live) {
        m_liveNotifier = std::make_unique<QSocketNotifier>(m_live->fd(), QSocketNotifier::Read);
        connect(m_liveNotifier.get(), &QSocketNotifier::activated, this, [this] { m_live->serve(); });
    }
    setWindowTitle(text(kTitle));
    setObjectName(QStringLiteral("MainFrame"));
    if (m_root) {
        m_settings = LoadFrameSettings(*m_root);
    }
    createActions();
    buildMenus();

    m_mainToolBar =
        makeToolBar(QStringLiteral("MainToolBar"),
                    {cmd::StartPractice, cmd::FileOpen, cmd::FileSave, cmd::Print, cmd::OpenModel, cmd::StopPractice,
                     cmd::Continue, cmd::AdjustSensor, cmd::Match, cmd::Series, cmd::ShotsParameters, cmd::Sound});
    m_previewToolBar = makeToolBar(QStringLiteral("PreviewToolBar"),
                                   {cmd::Print, cmd::PreviewClose, cmd::PreviewNextPage, cmd::PreviewPreviousPage});
    m_previewPageText = new QLabel(m_previewToolBar);
    m_previewPageText->setObjectName(QStringLiteral("PreviewPageText"));
    m_previewToolBar->addWidget(m_previewPageText);
    addToolBar(m_mainToolBar);
    addToolBarBreak();
    addToolBar(m_previewToolBar);
    m_previewToolBar->hide();

    // A missing sound output leaves the program silent; it is not reported.
    const HRESULT output = services.soundOutput ? m_sound.Initialize(services.soundOutput()) : m_sound.Initialize();
    m_soundReady = SUCCEEDED(output) && SUCCEEDED(m_sound.SetPrimaryBufferFormat(2, 22050, 16));
    if (m_soundReady) {
        m_tone = CreateStreamedTone(m_sound);
    }

    m_statusText = new QLabel(text(kIdleText), this);
    statusBar()->addWidget(m_statusText, 1);

    m_splitter = new QSplitter(Qt::Horizontal, this);
    m_splitter->setObjectName(QStringLiteral("Splitter"));
    m_leftPane = makeLeftPane();
    m_splitter->addWidget(m_leftPane);
    m_splitter->addWidget(makeRightPane());
    m_splitter->setSizes({static_cast<int>(m_settings.splitterPos), 800});
    m_leftPane->hide();
    setCentralWidget(m_splitter);
    m_reportSources = std::make_unique<ViewReportSources>(
        ViewReportSources::Views{m_data, m_services.module, m_infoView, m_seriesView, m_reportCharts});
    m_printing = std::make_unique<FramePrinting>(FramePrinting::Services{
        m_data, m_services.options, m_services.module, m_services.dialogs, this, m_reportSources.get(),
        m_services.newShots, [this](QWidget* preview) { showPrintPreview(preview); }});

    refreshCommandStates();
    applyExpertVisibility();
    if (!m_services.options.advancedMode) {
        buildMenus();
    }
    qApp->installEventFilter(this);
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &MainFrame::onTimer);
    m_timers.start(FrameTimers::kCommandState, std::chrono::milliseconds(100));
    deliverHint(0);

    m_mainToolBar->setVisible(m_settings.toolBar);
    statusBar()->setVisible(m_settings.statusBar);
    restoreBands();
    applyMirroredLayout();
    setAcceptDrops(true);

    resize(1024, 720);
}

MainFrame::~MainFrame()
{
    // The views go back in place, so the frame deletes them with itself.
    m_printing->OnClosePrintPreview();
    m_lifecycle.OnStopPractice();
    qApp->removeEventFilter(this);
    m_data.RemoveView(this);
    // The views go before the document and the tone they use.
    delete m_traceView;
    // The graph views leave the document before it goes.
    const QObjectList pages = m_views->children();
    for (QObject* page : pages) {
        delete dynamic_cast<CChartView*>(page);
    }
    delete m_seriesView;
    delete m_infoView;
}

namespace {

std::uint32_t countIfFound(bool found, const platform::com::ComPtr<IShotCollection>& shots)
{
    return found ? static_cast<std::uint32_t>(std::max(countOf(shots.get()), 0L)) : 0;
}

/// The first match shot's entry time; 0 without one.
std::u16string text16(const platform::com::Bstr& text)
{
    return std::u16string(text.view());
}

} // namespace

std::uint32_t MainFrame::sightingShots()
{
    platform::com::ComPtr<IShotCollection> shots;
    return m_data.IsValid() ? countIfFound(m_data.GetSightingShots(shots), shots) : 0;
}

std::uint32_t MainFrame::matchShots()
{
    platform::com::ComPtr<IShotCollection> shots;
    return m_data.IsValid() ? countIfFound(m_data.GetMatchShots(shots), shots) : 0;
}

void MainFrame::OnUpdate(CView*, DocumentHint hint, const HintPayload& payload)
{
    // The practice marks a shot for replay after it made the shot current; the next hint hands the mark over.
    if (m_practice.TakeAutoReplayPending()) {
        m_hints.flags.autoReplayPending = true;
    }
    m_hints.onUpdate(static_cast<std::uint32_t>(hint), payload);
    armTimer();
}

void MainFrame::SetProgress(long done, long total)
{
    if (!m_progress) {
        return;
    }
    // A long load reports every aiming; asking the bar costs more than the load's step, so only a step it shows goes.
    const auto shown = [total](long value) {
        return total > 0 ? std::pair{value * kProgressWidth / total, value * 100 / total} : std::pair{value, value};
    };
    if (m_progress->maximum() == total && m_progress->minimum() == 0 && shown(m_progress->value()) == shown(done)) {
        return;
    }
    m_progress->setRange(0, static_cast<int>(total));
    m_progress->setValue(static_cast<int>(done));
}

void MainFrame::SetWaitCursor(bool wait)
{
    if (wait) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
    } else {
        QApplication::restoreOverrideCursor();
    }
}

void MainFrame::ReportSaveFailure(const std::u16string& reason)
{
    ShowError(m_services.module, this,
              reason.empty() ? text(kUnableToSave) : text(kUnableToSave) + '\n' + QString::fromStdU16String(reason));
}

Answer MainFrame::AskYesNoCancel(std::uint32_t textId)
{
    switch (ResMessageBox(m_services.module, textId, MB_YESNOCANCEL | MB_ICONQUESTION, kTitle, this)) {
    case IDYES:
        return Answer::Yes;
    case IDNO:
        return Answer::No;
    default:
        return Answer::Cancel;
    }
}

QString MainFrame::text(std::uint32_t id) const
{
    return ResText(m_services.module, id);
}

void MainFrame::createActions()
{
    for (const CommandInfo& command : CommandTable()) {
        const cmd::Id id = command.id;
        auto* action = new QAction(this);
        if (!command.icon.empty()) {
            action->setIcon(QIcon::fromTheme(QString::fromLatin1(command.icon.data(), command.icon.size())));
        }
        if (!command.key.empty() && id != cmd::Help) {
            action->setShortcut(QKeySequence(QString::fromLatin1(command.key.data(), command.key.size())));
        }
        action->setCheckable(std::find(std::begin(kCheckable), std::end(kCheckable), id) != std::end(kCheckable));
        connect(action, &QAction::triggered, this, [this, id] { runCommand(id); });
        addAction(action);
        m_actions[id] = action;
    }
    for (const LanguageCommand& language : LanguageMenu()) {
        auto* action = new QAction(this);
        action->setCheckable(true);
        const cmd::Id id = language.id;
        connect(action, &QAction::triggered, this, [this, id] { runCommand(id); });
        m_actions[id] = action;
    }
    applyCommandTexts();
}

void MainFrame::applyCommandTexts()
{
    for (const CommandInfo& command : CommandTable()) {
        QAction* item = action(command.id);
        const QString label = text(command.text);
        item->setText(label.section(QLatin1Char('\n'), 0, 0));
        item->setStatusTip(platform::ui::qtext(SplitPrompt(m_services.module.LoadString(command.id)).hint));
        const auto [first, last] = m_buttons.equal_range(command.id);
        for (auto it = first; it != last; ++it) {
            applyButtonTexts(it->second, command.id);
        }
    }
    for (const LanguageCommand& language : LanguageMenu()) {
        action(language.id)->setText(text(language.text));
    }
    if (auto* close = findChild<QToolButton*>(QStringLiteral("ClosePane"))) {
        close->setToolTip(action(cmd::ClosePane)->text());
    }
}

void MainFrame::applyButtonTexts(QAction* button, cmd::Id id)
{
    const QAction* main = action(id);
    const std::u16string_view tip = SplitPrompt(m_services.module.LoadString(id)).tip;
    button->setText(main->text());
    button->setToolTip(tip.empty() ? main->text() : platform::ui::qtext(tip));
    button->setStatusTip(main->statusTip());
}

QAction* MainFrame::action(cmd::Id id) const
{
    const auto found = m_actions.find(id);
    return found == m_actions.end() ? nullptr : found->second;
}

void MainFrame::fillLanguageMenu(QMenu* menu)
{
    const auto items = LanguageMenu();
    menu->addAction(action(items.front().id));
    menu->addSeparator();
    for (const LanguageCommand& language : items.subspan(1)) {
        menu->addAction(action(language.id));
    }
}

void MainFrame::buildMenus()
{
    menuBar()->clear();
    const bool trim = m_services.options.advancedMode == 0;
    for (const MenuPopup& popup : MainMenu()) {
        QMenu* menu = menuBar()->addMenu(text(popup.title));
        std::vector<std::size_t> positions(popup.items.size());
        for (std::size_t i = 0; i < positions.size(); ++i) {
            positions[i] = i;
        }
        if (trim) {
            positions = TrimmedPopup(popup.items);
        }
        for (const std::size_t position : positions) {
            const cmd::Id id = popup.items[position];
            if (id == kSeparatorItem) {
                menu->addSeparator();
            } else if (id == kSubmenuItem) {
                QMenu* submenu = menu->addMenu(text(popup.submenuTitle));
                if (popup.submenu.front() == cmd::LanguagePlaceholder) {
                    fillLanguageMenu(submenu);
                } else {
                    for (const cmd::Id item : popup.submenu) {
                        submenu->addAction(action(item));
                    }
                }
            } else {
                menu->addAction(action(id));
            }
        }
    }
}

QToolBar* MainFrame::makeToolBar(const QString& name, std::initializer_list<cmd::Id> ids)
{
    auto* bar = new QToolBar(name, this);
    bar->setObjectName(name);
    bar->setMovable(false);
    for (const cmd::Id id : ids) {
        addButton(bar, id);
    }
    return bar;
}

void MainFrame::addButton(QToolBar* bar, cmd::Id id)
{
    // A button of its own, so hiding it leaves the menu item in place.
    QAction* main = action(id);
    auto* button = new QAction(main->icon(), main->text(), bar); // without an icon the text shows
    button->setCheckable(main->isCheckable());
    button->setData(id);
    connect(button, &QAction::triggered, this, [this, id] { runCommand(id); });
    bar->addAction(button);
    m_buttons.emplace(id, button);
    applyButtonTexts(button, id);
}

QWidget* MainFrame::makeLeftPane()
{
    auto* pane = new QWidget(this);
    pane->setObjectName(QStringLiteral("ContentsFrame"));
    auto* layout = new QVBoxLayout(pane);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    // The pane container's title bar: the pane's title and its close button.
    auto* title = new QWidget(pane);
    title->setObjectName(QStringLiteral("PaneTitle"));
    auto* titleLayout = new QHBoxLayout(title);
    titleLayout->setContentsMargins(4, 1, 1, 1);
    m_paneCaption = new QLabel(title);
    m_paneCaption->setObjectName(QStringLiteral("PaneCaption"));
    titleLayout->addWidget(m_paneCaption, 1);
    auto* close = new QToolButton(title);
    close->setObjectName(QStringLiteral("ClosePane"));
    close->setAutoRaise(true);
    close->setToolTip(action(cmd::ClosePane)->text());
    close->setIcon(style()->standardIcon(QStyle::SP_TitleBarCloseButton));
    connect(close, &QToolButton::clicked, this, [this] { runCommand(cmd::ClosePane); });
    titleLayout->addWidget(close);
    layout->addWidget(title);
    m_displayToolBar = makeToolBar(QStringLiteral("DisplayToolBar"), {cmd::DisplayAllTraces, cmd::DisplaySightings});
    m_displayToolBar->setParent(pane);
    layout->addWidget(m_displayToolBar);
    const CTalvoAppModule& module = m_services.module;
    m_seriesView = new CSeriesView({m_data, m_services.options, m_services.clock, this,
                                    [&module](std::uint32_t id) { return std::u16string(module.LoadString(id)); },
                                    [this](std::uint16_t id) { runCommand(static_cast<cmd::Id>(id)); },
                                    [this](std::uint16_t id) { return action(static_cast<cmd::Id>(id))->isEnabled(); }},
                                   pane);
    m_data.AddView(&m_seriesView->logic());
    layout->addWidget(m_seriesView, 1);
    return pane;
}

QWidget* MainFrame::makeRightPane()
{
    auto* pane = new QWidget(this);
    pane->setObjectName(QStringLiteral("TabsViewFrame"));
    auto* layout = new QVBoxLayout(pane);
    layout->setContentsMargins(0, 0, 0, 0);
    m_viewsToolBar = new QToolBar(QStringLiteral("ViewsToolBar"), pane);
    m_viewsToolBar->setObjectName(QStringLiteral("ViewsToolBar"));
    for (const cmd::Id id : cmd::kViews) {
        addButton(m_viewsToolBar, id);
    }
    layout->addWidget(m_viewsToolBar);
    m_viewsToolBar->hide();
    m_views = new QStackedWidget(pane);
    for (const char* name : kViewNames) {
        QWidget* page = nullptr;
        if (std::string_view(name) == "TraceView") {
            m_traceView = new CTraceView({m_data, m_services.options, m_services.clock, this, m_tone.get()}, m_views);
            m_data.AddView(&m_traceView->logic());
            page = m_traceView;
        } else if (CChartView* chart = makeChartView(name)) {
            m_data.AddView(chart);
            page = chart;
        } else if (std::string_view(name) == "InfoView") {
            m_infoView = new CInfoView({m_services.module, m_services.options, m_services.clock,
                                        [this](std::uint16_t command) { PostCommand(command); }},
                                       m_views);
            m_data.AddView(&m_infoView->logic());
            page = m_infoView;
        } else {
            page = new QWidget(m_views);
        }
        page->setObjectName(QString::fromLatin1(name));
        m_views->addWidget(page);
    }
    layout->addWidget(m_views, 1);
    return pane;
}

CChartView* MainFrame::makeChartView(std::string_view name)
{
    const ChartServices services{m_data, m_services.options, &m_services.module, this};
    if (name == "DistanceView") {
        return new CDistanceView(services, m_views);
    }
    // The report prints the graphs it gets here.
    if (name == "CoordinationView") {
        return m_reportCharts.coordination = new CCoordinationView(services, m_views);
    }
    if (name == "ProbabilityView") {
        return m_reportCharts.probability = new CProbabilityView(services, m_views);
    }
    if (name == "TimeShiftView") {
        return m_reportCharts.timeShift = new CTimeShiftView(services, m_views);
    }
    if (name == "SpeedView") {
        return m_reportCharts.speed = new CSpeedView(services, m_views);
    }
    if (name == "TimeIntervalsView") {
        return m_reportCharts.timeIntervals = new CTimeIntervalsView(services, m_views);
    }
    return nullptr;
}

FrameSnapshot MainFrame::snapshot()
{
    FrameSnapshot s;
    s.documentValid = m_data.IsValid();
    s.modelValid = m_data.IsModelValid();
    s.sightingShots = sightingShots();
    s.matchShots = matchShots();
    s.showSightings = m_data.ShowSightings();
    s.allTraces = m_seriesView->logic().displayTraces();
    s.hiddenShotsShown = m_data.IncludeHidden();
    platform::com::ComPtr<IShot> current;
    s.currentShot = m_data.GetCurrentShot(current) && current;
    if (s.documentValid) {
        s.eventCode = static_cast<std::int32_t>(m_data.GetEventCode());
        s.threePositions = m_data.HasThreePositions();
        s.replayState = static_cast<std::int32_t>(m_data.GetReplayState());
        s.shotTimesAscending = m_data.HasOrderedShotTimes();
        platform::com::Bstr position;
        if (m_data.GetPosition(position)) {
            s.position = text16(position);
        }
    }
    s.device = m_lifecycle.HasDevice();
    s.imageSensor = m_lifecycle.ModelVersion() == PracticeLifecycle::kImageSensorModel;
    s.subTarget = static_cast<std::int32_t>(m_lifecycle.SubTarget());
    s.matchMode = s.device && m_practice.MatchMode();
    s.continueOffered = m_rangeSteps.isWaitingForContinue();
    s.advancedMode = m_services.options.advancedMode != 0;
    s.bothPanesShown = m_leftPane->isVisibleTo(this);
    s.shotListMode = m_shotListMode;
    s.toolbarVisible = m_settings.toolBar;
    s.statusBarVisible = m_settings.statusBar;
    s.fullScreen = m_fullScreen;
    s.uiLocked = m_uiLock;
    s.soundEnabled = m_services.options.soundEnabled != 0;
    s.replayAll = m_hints.flags.replayAll;
    s.aimingOpen = m_hints.flags.aimingOpen;
    s.previewOpen = m_printing->previewOpen();
    s.previewPage = m_printing->previewPage();
    s.previewPages = m_printing->previewPageCount();
    s.mailAvailable = m_mailAvailable == 1;
    s.currentView = m_currentView;
    s.uiLocale = m_services.module.m_lcid;
    return s;
}

void MainFrame::refreshCommandStates()
{
    if (m_mailAvailable < 0) {
        m_mailAvailable = QStandardPaths::findExecutable(QStringLiteral("xdg-email")).isEmpty() ? 0 : 1;
    }
    const FrameSnapshot frameState = snapshot();
    updateShotListCaption();
    if (QAction* hide = action(cmd::HideShot)) {
        platform::com::ComPtr<IShot> current;
        VARIANT_BOOL hidden = VARIANT_FALSE;
        const bool isHidden = frameState.currentShot && m_data.GetCurrentShot(current) && current &&
                              SUCCEEDED(current->get_Hidden(&hidden)) && hidden == VARIANT_TRUE;
        hide->setText(platform::ui::qtext(
            HideShotMenuText(m_services.module.LoadString(FindCommand(cmd::HideShot)->text), isHidden)));
    }
    m_previewPageText->setText(
        frameState.previewOpen
            ? platform::ui::qtext(FormatResText(m_services.module, kPageText,
                                                {platform::ui::text16(QString::number(frameState.previewPage + 1)),
                                                 platform::ui::text16(QString::number(frameState.previewPages))}))
            : QString());
    for (const CommandState& state : ComputeCommandStates(frameState)) {
        if (QAction* item = action(state.id)) {
            item->setEnabled(state.enabled);
            item->setChecked(state.checked);
        }
        const auto [first, last] = m_buttons.equal_range(state.id);
        for (auto it = first; it != last; ++it) {
            it->second->setEnabled(state.enabled);
            it->second->setChecked(state.checked);
        }
    }
}

void MainFrame::applyExpertVisibility()
{
    const FrameSnapshot state = snapshot();
    for (const ButtonVisibility& button : ComputeHiddenButtons(state)) {
        const auto [first, last] = m_buttons.equal_range(button.id);
        for (auto it = first; it != last; ++it) {
            it->second->setVisible(!button.hidden);
        }
    }
    m_displayToolBar->setVisible(!IsSeriesPaneToolbarHidden(state));
}

void MainFrame::refreshStatus()
{
    std::u16string started;
    if (matchShots() > 0) {
        FormatDate(started, m_data.FirstMatchEnterTime(), m_services.module.m_lcid);
    }
    platform::com::Bstr shooterName;
    platform::com::Bstr eventName;
    const std::u16string shooter = m_data.GetShooterName(shooterName) ? text16(shooterName) : std::u16string();
    const std::u16string event = m_data.GetEventShortName(eventName) ? text16(eventName) : std::u16string();
    const std::u16string untitled(m_services.module.LoadString(kUntitled));
    const std::u16string title(m_services.module.LoadString(kTitle));
    // The practice's own strong signals, or the calibration dialog's while it runs.
    const std::int64_t lastSignal = std::max<std::int64_t>(m_lastDataTick, m_practice.LastStrongSignal());
    const auto since = m_services.clock.steadyNow() - std::chrono::milliseconds(lastSignal);
    const QString caption =
        platform::ui::qtext(FormatCaption({m_data.IsValid(), shooter, event, started, m_data.IsModified(),
                                           m_lifecycle.HasDevice(), since, untitled, title}));
    if (windowTitle() != caption) {
        setWindowTitle(caption);
    }
}

void MainFrame::switchToView(cmd::Id view)
{
    const auto index = std::find(std::begin(cmd::kViews), std::end(cmd::kViews), view) - std::begin(cmd::kViews);
    m_currentView = view;
    m_views->setCurrentIndex(static_cast<int>(index));
    if (view == cmd::ViewInfo && m_infoView) {
        m_infoView->logic().ApplyPendingUpdate();
    }
    refreshCommandStates();
}

void MainFrame::playSound(std::u16string_view name)
{
    (void)PlayLocalizedSound({m_services.options, m_soundReady ? &m_sound : nullptr, platform::fs::dataFolder("sounds"),
                              m_services.module.languageId()},
                             name); // A sound that cannot play leaves the shot silent.
}

void MainFrame::speakResult(IShot* shot)
{
    SpeakResult({m_services.options, m_soundReady ? &m_sound : nullptr, platform::fs::dataFolder("sounds"),
                 m_services.module.languageId()},
                shot);
}

void MainFrame::SetTargetZoom(int zoom)
{
    (void)m_seriesView->logic().SetTargetsZoom(static_cast<float>(zoom)); // false only without a practice
    if (m_infoView && m_data.IsValid()) {
        for (const std::u16string_view id : {u"Target1", u"Target2"}) {
            if (ITarget* target = m_infoView->logic().page().target(id)) {
                (void)target->put_Zoom(static_cast<float>(zoom));
            }
        }
    }
}

void MainFrame::deliverHint(std::uint32_t hint)
{
    m_data.UpdateAllViews(nullptr, static_cast<DocumentHint>(hint));
}

void MainFrame::armTimer()
{
    const auto deadline = m_timers.nextDeadline();
    if (!deadline) {
        m_timer.stop();
        return;
    }
    const auto wait = std::max(std::chrono::milliseconds(0), *deadline - m_services.clock.steadyNow());
    m_timer.start(static_cast<int>(wait.count()));
}

void MainFrame::onTimer()
{
    for (const int id : m_timers.due()) {
        m_hints.onTimer(id, m_services.clock.steadyNow());
    }
    armTimer();
}

void MainFrame::showStatusText(const QString& message)
{
    m_statusText->setText(message);
}

QStatusBar* MainFrame::statusBarControl()
{
    return statusBar();
}

bool MainFrame::BeginProgress(std::uint32_t textId)
{
    EndProgress();
    showStatusText(textId ? text(textId) : QString());
    m_progress = new QProgressBar(statusBar());
    m_progress->setFixedWidth(kProgressWidth);
    statusBar()->addWidget(m_progress);
    m_progress->show();
    return true;
}

void MainFrame::EndProgress()
{
    delete m_progress;
    showStatusText(text(kIdleText));
}

bool MainFrame::GetDevice(ITalvoDevice** device)
{
    if (!device) {
        return false;
    }
    *device = platform::com::ComPtr<ITalvoDevice>(m_lifecycle.Device()).detach();
    return *device != nullptr;
}

bool MainFrame::startPractice(const std::string& eventName, const std::string& shooterName)
{
    return m_lifecycle.OnStartPractice(platform::com::utf8ToUtf16(eventName), platform::com::utf8ToUtf16(shooterName));
}

platform::com::ComPtr<ITalvoDevice> MainFrame::CreateDevice()
{
    platform::com::ComPtr<ITalvoDevice> device;
    if (FAILED(CoCreateInstance(talvolink::CLSID_TalvoDevice, nullptr, CLSCTX_ALL, ITalvoDevice::kIid,
                                device.putVoid()))) {
        device.reset();
    }
    return device;
}

std::optional<StartPracticeChoice> MainFrame::RunStartDialog(ITalvoDevice* device, const std::u16string& eventName,
                                                             const std::u16string& shooterName)
{
    return m_services.dialogs.startPractice(
        this, {device, eventName, shooterName, &m_services.options, m_root ? &*m_root : nullptr, &m_services.module});
}

void MainFrame::RunCalibrationDialog(ITalvoDevice* device)
{
    CalibrationRequest request{device, &m_data, m_root ? &*m_root : nullptr, {}, {}, &m_services.module};
    request.playSound = [this](std::u16string_view name) { playSound(name); };
    request.signalSeen = [this] { m_lastDataTick = static_cast<std::uint32_t>(m_services.clock.steadyNow().count()); };
    m_services.dialogs.calibrate(this, request);
}

void MainFrame::FocusSeriesView()
{
    if (m_leftPane->isVisibleTo(this)) {
        m_seriesView->setFocus();
    }
}

bool MainFrame::TraceViewKey(const KeyDown& key)
{
    return !key.control && m_traceView && m_traceView->logic().OnKey(key.virtualKey);
}

bool MainFrame::SeriesViewHasFocus()
{
    const QWidget* focus = QApplication::focusWidget();
    return m_seriesView && focus && (focus == m_seriesView || m_seriesView->isAncestorOf(focus));
}

bool MainFrame::SeriesViewNavigate(const KeyDown& key)
{
    return m_seriesView && m_seriesView->logic().TranslateNavigationKey(key.virtualKey);
}

void MainFrame::RefreshExpertMode()
{
    applyExpertVisibility();
    refreshCommandStates();
}

void MainFrame::ClearAutoReplay()
{
    m_hints.flags.autoReplayPending = false;
    (void)m_practice.TakeAutoReplayPending(); // Only cleared here.
}

void MainFrame::ReleaseOpenAiming()
{
    m_hints.flags.aimingOpen = false;
    m_hints.flags.shotToSpeak.reset();
}

void MainFrame::StartRangePacing(std::chrono::milliseconds period)
{
    (void)m_pacing.StartRangePacing(period); // One that cannot start leaves the practice without range commands.
}

void MainFrame::onMatch(cmd::Id)
{
    m_hints.flags.replayAll = false;
    m_practice.SetMatchMode(true);
    deliverHint(22);
}

void MainFrame::restoreBands()
{
    const auto key = OpenSettingsSubkey(u"ReBar");
    if (!key) {
        return;
    }
    std::vector<Band> bands = {{kFirstBandId, true, 0}, {kFirstBandId + 1, false, 0}, {kFirstBandId + 2, true, 0}};
    RestoreBandLayout(*key, bands);
    // The menu bar stays above the tool bars; the order and row breaks of the two tool bars follow the bands.
    for (const Band& band : bands) {
        QToolBar* bar = band.id == kFirstBandId + 1   ? m_mainToolBar
                        : band.id == kFirstBandId + 2 ? m_previewToolBar
                                                      : nullptr;
        if (!bar) {
            continue;
        }
        const bool visible = bar->isVisibleTo(this);
        removeToolBar(bar);
        if (band.breakBefore) {
            addToolBarBreak();
        }
        addToolBar(bar);
        bar->setVisible(visible);
    }
}

void MainFrame::saveBands()
{
    const auto key = OpenSettingsSubkey(u"ReBar");
    if (!key) {
        return;
    }
    std::vector<Band> bands = {{kFirstBandId, true, static_cast<std::uint32_t>(menuBar()->width())}};
    std::vector<QToolBar*> bars = {m_mainToolBar, m_previewToolBar};
    std::stable_sort(bars.begin(), bars.end(),
                     [](QToolBar* a, QToolBar* b) { return std::pair(a->y(), a->x()) < std::pair(b->y(), b->x()); });
    for (QToolBar* bar : bars) {
        bands.push_back({bar == m_mainToolBar ? kFirstBandId + 1 : kFirstBandId + 2, toolBarBreak(bar),
                         static_cast<std::uint32_t>(std::max(bar->width(), 0))});
    }
    SaveBandLayout(*key, bands);
}

void MainFrame::showSeriesPane(bool hide)
{
    m_leftPane->setVisible(!hide);
    m_viewsToolBar->setVisible(!hide);
    switchToView(cmd::ViewInfo);
}

bool MainFrame::openFile(const std::filesystem::path& path)
{
    const bool wasOpen = m_data.IsValid();
    if (!m_data.Open(platform::com::Bstr(path.string()).get())) {
        return false;
    }
    m_hints.flags.replayAll = false;
    if (!wasOpen) {
        showSeriesPane(false);
    }
    FocusSeriesView();
    if (!m_services.options.advancedMode) {
        m_data.SetShowSightings(sightingShots() > 0, true);
    }
    return true;
}

QString MainFrame::loadFailure(const std::filesystem::path& path) const
{
    QString reason = platform::ui::qtext(m_data.ReadError().view());
    if (reason.isEmpty()) {
        // The document names only damaged contents; say why a file could not be read at all.
        const auto start = platform::fs::readFileStart(path, 1);
        reason = start ? text(kNotAPractice) : QString::fromStdString(start.error().detail);
    }
    return text(kUnableToLoad) + QLatin1Char('\n') + reason;
}

void MainFrame::reportOpenFailure(const std::filesystem::path& path)
{
    ShowError(m_services.module, this, loadFailure(path), QString::fromStdString(path.string()));
}

void MainFrame::openChosenFile(const std::filesystem::path& path)
{
    if (!m_data.SaveModified()) {
        return;
    }
    m_lifecycle.OnStopPractice();
    m_data.Reset();
    if (!openFile(path)) {
        showSeriesPane(true);
        reportOpenFailure(path);
    }
}

void MainFrame::onSave(cmd::Id)
{
    platform::com::ComPtr<IShotCollection> shots;
    if (!m_data.IsValid() || !m_data.IsModified() || countIfFound(m_data.GetShots(shots), shots) == 0) {
        return;
    }
    (void)m_data.Save(); // the document reports a failure
}

void MainFrame::onOpenModel(cmd::Id)
{
    platform::com::Bstr eventName;
    platform::com::Bstr modelShooter;
    CatalogChoice choice{text(kOpenModel), {}, {}, {}, m_root ? &*m_root : nullptr, &m_services.module};
    if (m_data.GetEventName(eventName)) {
        choice.eventFilter = text16(eventName);
        choice.event = choice.eventFilter;
    }
    if (m_data.IsModelValid() && m_data.GetModelShooterName(modelShooter)) {
        choice.shooter = text16(modelShooter);
    }
    const auto path = m_services.dialogs.openFromCatalog(this, choice);
    if (path && !m_data.OpenModel(platform::com::Bstr(path->string()).get())) {
        ShowError(m_services.module, this, loadFailure(*path), QString::fromStdString(path->string()));
    }
}

void MainFrame::onHideShot(cmd::Id)
{
    platform::com::ComPtr<IShot> shot;
    VARIANT_BOOL hidden = VARIANT_FALSE;
    if (!m_data.GetCurrentShot(shot) || !shot || FAILED(shot->get_Hidden(&hidden))) {
        return;
    }
    const bool isHidden = hidden == VARIANT_TRUE;
    const UINT reading = m_services.module.m_bRTL ? MB_RTLREADING : 0;
    if (ShowMessageBox(m_services.module, this, text(isHidden ? kRestoreShotQuestion : kHideShotQuestion), text(kTitle),
                       MB_YESNO | MB_ICONQUESTION | reading) == IDYES) {
        (void)m_data.SetShotHidden(shot.get(), !isHidden); // always succeeds
    }
}

void MainFrame::onReplay(cmd::Id)
{
    m_hints.flags.replayAll = false;
    if (m_data.GetReplayState() != 0) {
        (void)m_data.StopReplay(); // the views answer the stop themselves
    } else {
        (void)m_data.StartReplay(); // a vetoed replay simply does not start
    }
}

void MainFrame::onOpen(cmd::Id)
{
    platform::com::Bstr eventName;
    platform::com::Bstr shooterName;
    CatalogChoice choice{text(kOpenCaption), {}, {}, {}, m_root ? &*m_root : nullptr, &m_services.module};
    if (m_data.GetEventName(eventName)) {
        choice.event = text16(eventName);
    }
    if (m_data.GetShooterName(shooterName)) {
        choice.shooter = text16(shooterName);
    }
    if (const auto path = m_services.dialogs.openFromCatalog(this, choice)) {
        openChosenFile(*path);
    }
}

void MainFrame::onSendToFolder(cmd::Id)
{
    const auto folder = m_services.dialogs.chooseFolder(this, text(kChooseFolder));
    if (!folder || !m_data.IsValid()) {
        return;
    }
    if (!m_data.SaveCopyToFolder(platform::com::Bstr(folder->string()).get())) {
        ShowError(m_services.module, this, text(kUnableToSave));
    }
}

void MainFrame::onSendMail(cmd::Id)
{
    platform::com::Bstr file;
    if (!m_data.IsValid()) {
        return;
    }
    if (MailNeedsSave(m_data.IsModified(), static_cast<std::int32_t>(m_data.GetFileVersion())) && !m_data.Save()) {
        return; // the document reported the failure
    }
    if (!m_data.GetFileName(file)) {
        return;
    }
    const auto [program, arguments] = programAndArguments(MailArguments(platform::com::utf16ToUtf8(file.view())));
    const int exitCode = QProcess::execute(program, arguments);
    if (MailResultMessage(exitCode)) {
        ShowError(m_services.module, this, text(kMailFailed));
    }
}

void MainFrame::onDeleteShots(cmd::Id id)
{
    const bool sightingOnly = id == cmd::DeleteSightingShots;
    if (ResMessageBox(m_services.module, sightingOnly ? kDeleteSighting : kDeleteAll, MB_YESNO | MB_ICONERROR, kTitle,
                      this) != IDYES) {
        return;
    }
    if (sightingOnly) {
        (void)m_data.DeleteSightingShots(); // always succeeds
    } else {
        (void)m_data.ClearShots(); // fails only without a practice, which the command's state excludes
    }
    if (!sightingOnly || matchShots() + sightingShots() == 0) {
        switchToView(cmd::ViewInfo);
    }
}

void MainFrame::openHelp(std::uint32_t topic)
{
    // A language without a guide of its own reads the English one.
    const std::filesystem::path helpFile = m_services.module.m_szHelpFile;
    const std::filesystem::path guides[] = {helpFile.parent_path() / helpFile.stem(),
                                            helpFile.parent_path() / std::filesystem::path(kDefaultHelpFile).stem()};
    if (const auto page = HelpTopicPage(guides, topic)) {
        m_services.dialogs.showHelpPage(*page);
    }
}

std::uint32_t MainFrame::helpTopicAt(QObject* receiver) const
{
    if (const auto* menu = qobject_cast<QMenu*>(receiver); menu && menu->activeAction()) {
        for (const auto& [id, item] : m_actions) {
            if (item == menu->activeAction()) {
                return id;
            }
        }
    }
    // In a dialog, the page of the command that opened it.
    return QApplication::activeModalWidget() ? m_dialogCommand : 0;
}

void MainFrame::saveOptions()
{
    if (const auto root = OpenSettingsRoot()) {
        (void)m_services.options.Save(*root);
    }
}

void MainFrame::onOptions(cmd::Id)
{
    const CTalvoAppModule& module = m_services.module;
    const auto changed =
        m_services.dialogs.editOptions(this, m_services.options, ModuleTexts(module), m_root ? &*m_root : nullptr);
    if (!changed) {
        return;
    }
    if (*changed & (kOptionsChangedPrint | kOptionsChangedShotList)) {
        refreshPrintPreview();
    }
    if (m_traceView) {
        m_traceView->logic().OptionsChanged(*changed);
    }
    if (*changed & kOptionsChangedShotList) {
        m_seriesView->logic().UpdateColumnVisibility();
        m_seriesView->logic().Rebuild();
    }
    if (*changed & kOptionsChangedColors) {
        m_seriesView->logic().ApplyBreachColors();
        if (m_infoView) {
            m_infoView->logic().ApplyBreachColors();
        }
    }
    if ((*changed & kOptionsChangedSound) && m_tone &&
        !(m_services.options.soundEnabled && m_services.options.blindGen)) {
        m_tone->stop();
    }
    if (ITalvoDevice* device = m_lifecycle.Device()) {
        ApplyOptionsToDevice(*device, m_services.options, *changed, static_cast<std::int32_t>(m_data.GetEventCode()));
    }
    showStatusText(platform::ui::qtext(PiezoRejectIntervalText(
        m_services.options.piezoRejectInterval, m_services.module.LoadString(kPiezoRejectIntervalText))));
    saveOptions();
}

void MainFrame::onShotsParameters(cmd::Id)
{
    if (!m_data.IsValid()) {
        return;
    }
    ShotsParameters values;
    values.coincide = m_data.CentreGroup() ? 1 : 0;
    values.bulletDispersion = m_data.DispersionValue();
    values.shotMoment = m_data.RealBreachTime();
    values.fCoefficient = static_cast<std::int32_t>(m_data.FCoefficient());
    values.controlInterval = m_data.ControlInterval();
    values.controlInterval2 = static_cast<std::int32_t>(m_data.ControlInterval2());
    const auto edited = m_services.dialogs.editShotsParameters(
        this, values, static_cast<std::int32_t>(m_data.GetEventCode()), m_services.module);
    if (edited) {
        (void)m_data.SetShotParameters(edited->fCoefficient, edited->controlInterval, edited->controlInterval2,
                                       edited->shotMoment, edited->bulletDispersion,
                                       edited->coincide != 0); // fails only without a practice, excluded above
    }
}

void MainFrame::onView(cmd::Id id)
{
    if (id != cmd::ViewTrace) {
        m_hints.flags.replayAll = false;
    }
    if (isExpertView(id) && !m_services.options.advancedMode) {
        return;
    }
    switchToView(id);
}

void MainFrame::onExpertMode(cmd::Id)
{
    m_services.options.advancedMode = m_services.options.advancedMode ? 0 : 1;
    saveOptions();
    applyExpertMode();
    deliverHint(HintExpertMode);
}

void MainFrame::applyExpertMode()
{
    applyExpertVisibility();
    buildMenus();
    if (!m_services.options.advancedMode) {
        m_shotListMode = true;
        m_seriesView->logic().SetShotListMode(true);
        if (m_data.IsValid()) {
            m_data.SetShowSightings(sightingShots() > 0, true);
        }
        if (isExpertView(m_currentView)) {
            switchToView(cmd::ViewInfo);
        }
    }
    refreshCommandStates();
}

void MainFrame::onLanguage(LCID locale)
{
    if (locale == m_services.module.m_lcid) {
        return;
    }
    const bool wasRightToLeft = m_services.module.m_bRTL;
    if (!m_services.module.SwitchLanguage(locale, m_services.environment)) {
        ShowError(m_services.module, this, text(kUnableToSwitch));
        return;
    }
    applyCommandTexts();
    buildMenus();
    refreshCommandStates();
    applyExpertVisibility();
    deliverHint(1);
    showStatusText(text(kIdleText));
    if (wasRightToLeft != m_services.module.m_bRTL) {
        applyMirroredLayout();
    }
}

void MainFrame::applyMirroredLayout()
{
    // The frame's windows follow the frame; dialogs and message boxes, opened later as windows of their own, take
    // the application's direction.
    const bool rightToLeft = m_services.module.m_bRTL;
    QApplication::setLayoutDirection(rightToLeft ? Qt::RightToLeft : Qt::LeftToRight);
    ApplyRTLLayout(this, rightToLeft, true);
}

void MainFrame::onFullScreen(cmd::Id)
{
    if (!m_fullScreen) {
        m_normalGeometry = normalGeometry();
        m_fullScreen = true;
        showFullScreen();
    } else {
        m_fullScreen = false;
        showNormal();
        setGeometry(m_normalGeometry);
    }
}

void MainFrame::onSeriesPaneMode(cmd::Id id)
{
    const bool shotList = id == cmd::ShotList;
    if (!m_leftPane->isVisible() || m_shotListMode != shotList) {
        m_leftPane->show();
        m_shotListMode = shotList;
        m_seriesView->logic().SetShotListMode(shotList);
    } else {
        m_leftPane->hide();
    }
}

void MainFrame::updateShotListCaption()
{
    const CTalvoAppModule& module = m_services.module;
    const QString caption = platform::ui::qtext(ShotListCaption(
        !m_seriesView->logic().shotListMode(), [&module](std::uint32_t id) { return module.LoadString(id); }));
    if (m_paneCaption->text() != caption) {
        m_paneCaption->setText(caption);
    }
}

void MainFrame::runCommand(cmd::Id id)
{
    const cmd::Id outer = std::exchange(m_dialogCommand, id);
    if (const auto locale = LanguageCommandLocale(id)) {
        onLanguage(*locale);
    } else if (const CommandHandler handler = FindCommandHandler(id)) {
        FrameCommandHandlers& handlers = *this;
        (handlers.*handler)(id);
    }
    m_dialogCommand = outer;
    refreshCommandStates();
    armTimer();
    emit commandRan(id);
}

void MainFrame::onStartPractice(cmd::Id)
{
    (void)m_lifecycle.OnStartPractice({}, {}); // A start that did not happen has said why.
}

void MainFrame::onExit(cmd::Id)
{
    QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
}

void MainFrame::onPrint(cmd::Id)
{
    m_printing->OnFilePrint();
}

void MainFrame::onPrintPreview(cmd::Id)
{
    m_printing->OnFilePrintPreview();
}

void MainFrame::onPrintSetup(cmd::Id)
{
    m_printing->OnFilePrintSetup();
}

void MainFrame::onShotPrint(cmd::Id)
{
    m_printing->OnShotPrint();
}

void MainFrame::onPrintTarget(cmd::Id)
{
    m_services.dialogs.printTarget(this, m_services.module);
}

void MainFrame::onPreviewPage(cmd::Id id)
{
    if (id == cmd::PreviewNextPage) {
        m_printing->NextPage();
    } else {
        m_printing->PreviousPage();
    }
    refreshCommandStates(); // the step may have reached an end
}

void MainFrame::onDisplayAllTraces(cmd::Id)
{
    m_seriesView->logic().SetDisplayTraces(!m_seriesView->logic().displayTraces());
}

void MainFrame::onClosePreview(cmd::Id)
{
    m_printing->OnClosePrintPreview();
}

void MainFrame::onReplayAll(cmd::Id)
{
    m_hints.flags.replayAll = ToggleReplayAll(m_data, m_hints.flags.replayAll, this);
}

void MainFrame::onCalibrate(cmd::Id)
{
    m_hints.flags.replayAll = false;
    m_lifecycle.OnCalibration();
}

void MainFrame::onResetTraceTarget(cmd::Id)
{
    if (!m_hints.flags.aimingOpen) {
        return;
    }
    m_hints.flags.aimingOpen = false;
    if (ITalvoDevice* device = m_lifecycle.Device()) {
        (void)device->ConcludeCurrentAiming(1); // A device without an open aiming has nothing to conclude.
    }
}

void MainFrame::onPosition(cmd::Id id)
{
    const auto position = PositionOfCommand(id);
    if (!position || !m_data.IsValid()) {
        return;
    }
    if (m_data.GetEventCode() == kBiathlonEventCode) {
        m_lifecycle.SetSubTarget(position->subTarget);
        m_practice.SetSubTarget(position->subTarget);
        if (ITalvoDevice* device = m_lifecycle.Device()) {
            (void)device->put_SubTarget(1, position->subTarget); // a refused plate keeps the one in use
        }
        if (!m_hints.flags.aimingOpen) {
            m_data.UpdateAllViews(nullptr, HintPositionSet, PositionHint{position->subTarget});
        }
        return;
    }
    switch (RestartWithPosition(m_data, position->word)) {
    case PositionChange::Unchanged:
        return;
    case PositionChange::SaveFailed:
        ShowError(m_services.module, this, text(kUnableToSave));
        return;
    case PositionChange::Restarted:
        break;
    }
    m_practice.SetMatchMode(false);
    m_practice.RestartAutoSaveCounter();
    refreshStatus();
}

void MainFrame::onResetHardware(cmd::Id)
{
    ITalvoDevice* device = m_lifecycle.Device();
    if (!device) {
        return;
    }
    SetWaitCursor(true);
    const auto failure = ReconnectDevice(*device);
    SetWaitCursor(false);
    if (failure) {
        ShowError(m_services.module, this, platform::ui::qtext(*failure));
    }
}

void MainFrame::onToolbar(cmd::Id)
{
    m_settings.toolBar = !m_settings.toolBar;
    m_mainToolBar->setVisible(m_settings.toolBar);
}

void MainFrame::onStatusBar(cmd::Id)
{
    m_settings.statusBar = !m_settings.statusBar;
    statusBar()->setVisible(m_settings.statusBar);
}

void MainFrame::onDisplayHiddenShots(cmd::Id)
{
    (void)m_data.SetIncludeHidden(!m_data.IncludeHidden()); // fails only without a practice
}

void MainFrame::onSound(cmd::Id)
{
    m_services.options.soundEnabled = m_services.options.soundEnabled ? 0 : 1;
    saveOptions();
    if (m_tone) {
        m_tone->stop();
    }
}

void MainFrame::onWebPage(cmd::Id)
{
    openHelp(0); // no web address of the maker is configured: the guide's home page stands in
}

void MainFrame::onAbout(cmd::Id)
{
    m_services.dialogs.about(this, m_services.module);
}

void MainFrame::replayNextShot()
{
    if (!ReplayNextAiming(m_data, this)) {
        m_hints.flags.replayAll = false; // nothing more to replay: the check goes off with it
    } else if (m_data.GetReplayState() == 0) {
        // A shot with no trace to replay (a missed shot) ends no replay; the next aiming follows after the pause.
        m_timers.start(FrameTimers::kReplayAllPause, std::chrono::seconds(m_services.options.replayAllPause));
    }
}

void MainFrame::addSensorCorrection(float dx, float dy)
{
    if (ITalvoDevice* device = m_lifecycle.Device()) {
        AddDeviceCorrection(*device, dx, dy);
    }
}

bool MainFrame::HasPrintPreview()
{
    return m_printing->previewOpen();
}

void MainFrame::refreshPrintPreview()
{
    m_printing->UpdatePrintPreview();
}

void MainFrame::showPrintPreview(QWidget* preview)
{
    // The preview takes the views' place; the splitter is kept aside, not deleted, meanwhile.
    if (preview != nullptr) {
        takeCentralWidget();
        setCentralWidget(preview);
    } else {
        takeCentralWidget();
        setCentralWidget(m_splitter);
        m_splitter->show(); // taking it out hid it
    }
    menuBar()->setVisible(preview == nullptr);
    m_mainToolBar->setVisible(preview == nullptr && m_settings.toolBar);
    m_previewToolBar->setVisible(preview != nullptr);
    refreshCommandStates();
}

void MainFrame::PostCommand(std::uint16_t command)
{
    QMetaObject::invokeMethod(
        this, [this, command] { runCommand(static_cast<cmd::Id>(command)); }, Qt::QueuedConnection);
}

void MainFrame::SetStatusText(const std::u16string& message)
{
    showStatusText(platform::ui::qtext(message));
}

bool MainFrame::preTranslateKey(QObject* receiver, const QKeyEvent& key)
{
    // The override travels up the focus widget's parents; the rules run once, at the first, and only for keys of
    // this window, not of a dialog over it.
    QWidget* focus = QApplication::focusWidget();
    QWidget* first = focus ? focus : this;
    if (receiver != first || first->window() != this) {
        return false;
    }
    return PreTranslateKey(keyDownOf(key), *this, m_services.options);
}

bool MainFrame::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::ShortcutOverride) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool plain = key->modifiers() == Qt::NoModifier &&
                           (key->key() == Qt::Key_Space || key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter);
        if (plain && isTextEntry(QApplication::focusWidget())) {
            // Accepting the override hands the key to the text entry instead of the accelerator.
            event->accept();
            return true;
        }
        if (preTranslateKey(watched, *key)) {
            // No shortcut runs, and the press that follows is dropped.
            m_consumedKey = key->key();
            event->accept();
            return true;
        }
    } else if (event->type() == QEvent::KeyPress && m_consumedKey != 0) {
        if (static_cast<QKeyEvent*>(event)->key() == std::exchange(m_consumedKey, 0)) {
            return true;
        }
    } else if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_F1 && key->modifiers() == Qt::NoModifier && !key->isAutoRepeat()) {
            openHelp(helpTopicAt(watched));
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainFrame::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasUrls()) {
        event->acceptProposedAction();
    }
}

void MainFrame::dropEvent(QDropEvent* event)
{
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.isEmpty() || !urls.front().isLocalFile()) {
        return;
    }
    event->acceptProposedAction();
    openChosenFile(localPath(urls.front().toLocalFile()));
}

void MainFrame::closeEvent(QCloseEvent* event)
{
    if (m_previewToolBar->isVisible()) {
        event->ignore();
        QMetaObject::invokeMethod(
            this, [this] { runCommand(cmd::PreviewClose); }, Qt::QueuedConnection);
        return;
    }
    if (!m_data.SaveModified()) {
        event->ignore();
        return;
    }
    shutDown();
    event->accept();
}

void MainFrame::shutDown()
{
    if (m_closed) {
        return;
    }
    m_closed = true;
    m_timer.stop();
    if (const auto& root = m_root) {
        m_settings.zoomed = isMaximized();
        const QRect normal = m_fullScreen ? m_normalGeometry : normalGeometry();
        m_settings.windowRect = WindowRect{normal.left(), normal.top(), normal.right() + 1, normal.bottom() + 1};
        const QList<int> sizes = m_splitter->sizes();
        if (m_leftPane->isVisible() && !sizes.isEmpty()) {
            m_settings.splitterPos = static_cast<std::uint32_t>(sizes.front());
        }
        SaveFrameSettings(*root, m_settings, {m_shown, m_fullScreen});
        if (m_shown) {
            saveBands();
        }
    }
    m_lifecycle.OnStopPractice();
    qApp->removeEventFilter(this);
    if (m_services.monitor.lockCount() == 1) {
        // No outside client holds the server: end at once.
        m_services.monitor.setTimes(std::chrono::milliseconds(0), std::chrono::milliseconds(0));
    }
    setAcceptDrops(false);
    m_services.monitor.unlock();
}

} // namespace talvodesk
