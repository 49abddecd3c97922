#include "talvodesk/views/InfoView.h"

#include "talvodesk/core/analysis/InfoPage.h"
#include "talvodesk/core/document/TalvoData.h"
#include "talvodesk/core/frame/CommandIds.h"
#include "talvodesk/views/TargetWindow.h"
#include "talvodesk/views/WrappedLabel.h"

#include "interfaces/talvodata/IShot.h"
#include "platform/time/Clock.h"
#include "platform/ui/QtText.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace talvodesk {

using platform::com::ComPtr;

namespace {

/// The largest side of a target on the page, and the margin the page keeps free on the right. The label styles.
constexpr int kTargetSize = 150;
constexpr int kPageMargin = 20;
constexpr int kBold = 1;
constexpr int kSmall = 2;
constexpr int kRed = 4;

/// A row of the page: a grey box holding its cells side by side.
QWidget* row(QWidget* parent, std::initializer_list<std::pair<QWidget*, int>> cells)
{
    auto* box = new QWidget(parent);
    box->setAutoFillBackground(true);
    QPalette palette = box->palette();
    palette.setColor(QPalette::Window, QColor(0xEE, 0xEE, 0xEE));
    box->setPalette(palette);
    auto* layout = new QHBoxLayout(box);
    layout->setContentsMargins(4, 4, 4, 4);
    for (const auto& [cell, stretch] : cells) {
        layout->addWidget(cell, stretch);
    }
    return box;
}

QWidget* column(QWidget* parent, std::initializer_list<QWidget*> cells)
{
    auto* box = new QWidget(parent);
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    for (QWidget* cell : cells) {
        layout->addWidget(cell);
    }
    return box;
}

QWidget* line(QWidget* parent, std::initializer_list<QWidget*> cells)
{
    auto* box = new QWidget(parent);
    auto* layout = new QHBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (QWidget* cell : cells) {
        layout->addWidget(cell);
    }
    layout->addStretch(1);
    return box;
}

} // namespace

/// The events of one of the practice's own targets: a selection or a double click passes its selected shot on.
class CInfoView::TargetEvents final : public TargetEventHandler {
public:
    TargetEvents(InfoViewLogic& logic, const CTargetWindow& host) : m_logic(logic), m_host(host) {}

    void OnSelectionChanged() override { m_logic.UISelectionChanged(selected().get()); }
    void OnDblClick(float, float) override { m_logic.UIDblClickShot(selected().get()); }

private:
    ComPtr<IShot> selected() const
    {
        ComPtr<IShot> shot;
        if (const auto& target = m_host.target()) {
            (void)target->get_SelectedShot(shot.put()); // None when nothing is selected.
        }
        return shot;
    }

    InfoViewLogic& m_logic;
    const CTargetWindow& m_host;
};

CInfoView::CInfoView(Services services, QWidget* parent)
    : QWidget(parent), m_services(std::move(services)),
      m_logic(*this, m_services.module, m_services.options, m_services.clock)
{
    setObjectName(QStringLiteral("InfoView"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_scroll = new QScrollArea(this);
    m_scroll->setWidgetResizable(true);
    m_scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scroll->setFrameShape(QFrame::NoFrame);
    layout->addWidget(m_scroll);
    auto* page = new QWidget(m_scroll);
    page->setObjectName(QStringLiteral("theBody"));
    page->setAutoFillBackground(true);
    QPalette palette = page->palette();
    palette.setColor(QPalette::Window, Qt::white);
    page->setPalette(palette);
    auto* pageLayout = new QVBoxLayout(page);
    pageLayout->setContentsMargins(0, 0, 0, 0);
    pageLayout->addWidget(buildIntro());
    pageLayout->addWidget(buildPractice());
    pageLayout->addStretch(1);
    m_scroll->setWidget(page);

    m_wake.setSingleShot(true);
    connect(&m_wake, &QTimer::timeout, this, [this] { m_logic.OnWake(); });

    m_widgets.attach(m_logic.page(), *page);
    m_logic.PageLoaded();
}

CInfoView::~CInfoView()
{
    m_wake.stop();
    m_widgets.detach();
    for (auto& sink : m_sinks) {
        if (sink) {
            sink->Detach();
        }
    }
    for (auto& target : m_targets) {
        target.reset();
    }
    if (CTalvoData* document = m_logic.m_pDocument) {
        document->RemoveView(&m_logic);
    }
}

QWidget* CInfoView::label(std::u16string_view id, int style)
{
    // Wrapped, so no long value widens the page past the window.
    auto* text = new WrappedLabel(this);
    text->setTextFormat(Qt::RichText);
    text->setTextInteractionFlags(Qt::TextSelectableByMouse);
    QFont font = text->font();
    font.setBold((style & kBold) != 0);
    if ((style & kSmall) != 0) {
        font.setPointSizeF(font.pointSizeF() * 8.0 / 9.0);
    }
    text->setFont(font);
    if ((style & kRed) != 0) {
        text->setStyleSheet(QStringLiteral("color: red"));
    }
    return m_widgets.bind(text, id);
}

QWidget* CInfoView::targetHost(std::u16string_view id, QWidget* parent, bool selectable)
{
    const auto index =
        static_cast<std::size_t>(std::find(kInfoTargetIds.begin(), kInfoTargetIds.end(), id) - kInfoTargetIds.begin());
    auto& host = m_targets[index];
    host = std::make_unique<CTargetWindow>();
    // The model's targets raise nothing: they are not selectable.
    if (selectable) {
        m_targetEvents[index] = std::make_unique<TargetEvents>(m_logic, *host);
        m_sinks[index] = platform::com::makeComObject<TargetEventSink>(*m_targetEvents[index]);
    }
    if (!host->Create(parent, QRect(0, 0, 0, 0), kTargetWindowStyle, selectable ? m_sinks[index].get() : nullptr)) {
        // A page without this control skips it, as it skips any missing element.
        return m_widgets.bind(new QWidget(parent), id);
    }
    m_logic.page().setTarget(std::u16string(id), host->target());
    return m_widgets.bind(host->window(), id);
}

QWidget* CInfoView::buildIntro()
{
    auto* intro = new QWidget(this);
    intro->setAutoFillBackground(true);
    QPalette palette = intro->palette();
    palette.setColor(QPalette::Window, QColor(0xEC, 0xE9, 0xD8));
    intro->setPalette(palette);
    m_widgets.bind(intro, u"idIntro");
    auto* layout = new QHBoxLayout(intro);
    layout->setContentsMargins(11, 11, 11, 11);

    auto* tiles = new QWidget(intro);
    auto* tilesLayout = new QVBoxLayout(tiles);
    const auto tile = [&](const char* name, QStyle::StandardPixmap icon, std::u16string_view textId, auto action) {
        auto* button = new QToolButton(tiles);
        button->setObjectName(QString::fromLatin1(name));
        button->setIcon(style()->standardIcon(icon));
        button->setIconSize(QSize(70, 70));
        button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        button->setAutoRaise(true);
        button->setCursor(Qt::PointingHandCursor);
        connect(button, &QToolButton::clicked, this, action);
        tilesLayout->addWidget(button);
        // The tile's text is its own element, so a language change reaches it.
        m_widgets.follow(button, textId);
    };
    tile("idStartPractice", QStyle::SP_MediaPlay, u"idStartPracticeText", [this] { m_logic.UIStartPractice(); });
    tile("idOpen", QStyle::SP_DialogOpenButton, u"idOpenText", [this] { m_logic.UIOpen(); });
    tilesLayout->addStretch(1);
    layout->addWidget(tiles, 1);

    // The web line's link is the program's web page command, wherever that leads.
    auto* web = static_cast<QLabel*>(label(u"idAdditionalInfoText"));
    web->setTextInteractionFlags(Qt::TextBrowserInteraction);
    connect(web, &QLabel::linkActivated, this, [this] { postCommand(cmd::WebPage); });
    auto* texts = column(intro, {label(u"idIntroText1"), label(u"idIntroText2"), label(u"idIntroText3"),
                                 label(u"idAdditionalInfoTitle", kBold), web});
    static_cast<QVBoxLayout*>(texts->layout())->addStretch(1);
    layout->addWidget(texts, 4);
    return intro;
}

QWidget* CInfoView::buildPractice()
{
    auto* all = new QWidget(this);
    m_widgets.bind(all, u"idAllInfo");
    auto* layout = new QVBoxLayout(all);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);

    m_shooterName = new QLineEdit(all);
    m_shooterName->setMaxLength(100);
    m_widgets.bind(m_shooterName, u"idShooterName");
    m_comments = new QPlainTextEdit(all);
    m_comments->setTabChangesFocus(true);
    m_widgets.bind(m_comments, u"idComments");
    for (QWidget* field : {static_cast<QWidget*>(m_shooterName), static_cast<QWidget*>(m_comments)}) {
        QPalette palette = field->palette();
        palette.setColor(QPalette::Base, QColor(0xD3, 0xD3, 0xD3));
        field->setPalette(palette);
        field->installEventFilter(this);
    }
    connect(m_shooterName, &QLineEdit::textChanged, this, [this](const QString& text) {
        m_logic.page().SetElementValue(u"idShooterName", platform::ui::text16(text));
    });
    connect(m_comments, &QPlainTextEdit::textChanged, this,
            [this] { m_logic.page().SetElementValue(u"idComments", platform::ui::text16(m_comments->toPlainText())); });

    auto* nameRow =
        m_widgets.bind(column(all, {label(u"idShooterNameTitle", kBold), m_shooterName}), u"idShooterNameRow");
    auto* fields = column(all, {nameRow, label(u"idCommentsTitle", kBold), m_comments});
    const auto targetRow = [&](std::u16string_view rowId, std::u16string_view targetId, bool selectable) {
        auto* cell = new QWidget(all);
        auto* cellLayout = new QHBoxLayout(cell);
        cellLayout->setContentsMargins(0, 0, 0, 0);
        cellLayout->addWidget(targetHost(targetId, cell, selectable));
        return m_widgets.bind(cell, rowId);
    };
    layout->addWidget(row(all, {{fields, 1}, {targetRow(u"idTargetRow1", u"Target1", true), 0}}));
    layout->addWidget(targetRow(u"idTargetStandingRow1", u"TargetStanding1", true));
    layout->addWidget(targetRow(u"idTargetProneRow1", u"TargetProne1", true));
    auto* modelTexts = column(all, {label(u"idShooterNameModelTitle", kBold), label(u"idShooterNameModel", kRed),
                                    label(u"idCommentsModelTitle", kBold), label(u"idCommentsModel", kRed)});
    static_cast<QVBoxLayout*>(modelTexts->layout())->addStretch(1);
    layout->addWidget(m_widgets.bind(row(all, {{modelTexts, 1}, {targetRow(u"idTargetRow2", u"Target2", false), 0}}),
                                     u"idModelInfoRow"));
    layout->addWidget(targetRow(u"idTargetStandingRow2", u"TargetStanding2", false));
    layout->addWidget(targetRow(u"idTargetProneRow2", u"TargetProne2", false));
    layout->addWidget(buildStatistics());
    return all;
}

QWidget* CInfoView::buildStatistics()
{
    auto* table = new QWidget(this);
    m_widgets.bind(table, u"idStatRow");
    auto* layout = new QVBoxLayout(table);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(4);
    const auto statistic = [&](std::u16string_view rowId, std::initializer_list<QWidget*> title,
                               std::initializer_list<QWidget*> values) {
        auto* titleCell = new QWidget(table);
        auto* titleLayout = new QVBoxLayout(titleCell);
        titleLayout->setContentsMargins(0, 0, 0, 0);
        for (QWidget* part : title) {
            titleLayout->addWidget(part);
        }
        auto* valueCell = new QWidget(table);
        auto* valueLayout = new QVBoxLayout(valueCell);
        valueLayout->setContentsMargins(0, 0, 0, 0);
        for (QWidget* value : values) {
            valueLayout->addWidget(value);
        }
        QWidget* box = row(table, {{titleCell, 6}, {valueCell, 4}});
        if (!rowId.empty()) {
            m_widgets.bind(box, rowId);
        }
        layout->addWidget(box);
    };
    const auto value = [&](std::u16string_view id) { return label(id); };
    const auto titled = [&](std::u16string_view titleId, std::u16string_view valueId) {
        return line(table, {label(titleId), value(valueId)});
    };
    statistic({}, {label(u"idEventTitle", kBold)}, {value(u"idEvent")});
    statistic({}, {label(u"idDateTimeTitle", kBold)}, {value(u"idDateTime")});
    statistic({}, {label(u"idShotCountTitle", kBold)}, {value(u"idShotCount")});
    statistic({}, {label(u"idResultTitle", kBold)},
              {titled(u"idResultIntTitle", u"idResultInt"), titled(u"idResultFractionalTitle", u"idResultFractional"),
               titled(u"idResultAverageTitle", u"idResultAverage")});
    statistic(u"idResultIntCoinsidedRow", {label(u"idResultIntCoinsidedTitle", kBold)},
              {value(u"idResultIntCoinsided")});
    statistic(u"idTotalShootingTimeRow",
              {label(u"idTotalShootingTimeTitle", kBold), label(u"idTotalShootingTimeNote", kSmall)},
              {value(u"idTotalShootingTime")});
    statistic(u"idAvgTimePerShotRow", {label(u"idAvgTimePerShotTitle", kBold)}, {value(u"idAvgTimePerShot")});
    statistic(u"idStabilityOfTimeIntervalRow",
              {label(u"idStabilityOfTimeIntervalTitle", kBold), label(u"idStabilityOfTimeIntervalNote", kSmall)},
              {value(u"idStabilityOfTimeInterval")});
    statistic(u"idDiametralDispersionRow",
              {label(u"idDiametralDispersionTitle", kBold), label(u"idDiametralDispersionNote", kSmall)},
              {value(u"idDiametralDispersion")});
    statistic(u"idStabilityOfAimingRow",
              {label(u"idStabilityOfAimingTitle", kBold), label(u"idStabilityOfAimingNote", kSmall)},
              {value(u"idStabilityOfAiming")});
    statistic(u"idAccuracyOfShootingRow",
              {label(u"idAccuracyOfShootingTitle", kBold), label(u"idAccuracyOfShootingNote", kSmall)},
              {value(u"idAccuracyOfShooting")});
    statistic(u"idAvgSteadinessRow", {label(u"idAvgSteadinessTitle", kBold), label(u"idAvgSteadinessNote", kSmall)},
              {value(u"idAvgSteadiness")});
    statistic(u"idAvgLenRow", {label(u"idAvgLenTitle", kBold)},
              {value(u"idAvgLen"), titled(u"idAvgLenXTitle", u"idAvgLenX"), titled(u"idAvgLenYTitle", u"idAvgLenY")});
    statistic(u"idEllipticalFactorGroupRow",
              {label(u"idEllipticalFactorTitle", kBold), label(u"idEllipticalFactorNote", kSmall)},
              {titled(u"idEllipticalFactorGroupTitle", u"idEllipticalFactorGroup"),
               titled(u"idEllipticalFactorTraceTitle", u"idEllipticalFactorTrace")});
    statistic(u"idControlIntervalRow", {label(u"idControlIntervalTitle", kBold)}, {value(u"idControlInterval")});
    return table;
}

bool CInfoView::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyRelease && !static_cast<QKeyEvent*>(event)->isAutoRepeat()) {
        if (watched == m_shooterName) {
            m_logic.OnKeyRelease(InfoViewLogic::Field::ShooterName);
        } else if (watched == m_comments) {
            m_logic.OnKeyRelease(InfoViewLogic::Field::Comments);
        }
    }
    return QWidget::eventFilter(watched, event);
}

void CInfoView::postCommand(std::uint16_t command)
{
    if (m_services.postCommand) {
        m_services.postCommand(command);
    }
}

void CInfoView::setWaitCursor(bool wait)
{
    if (wait) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
    } else {
        QApplication::restoreOverrideCursor();
    }
}

void CInfoView::wakeAt(std::chrono::milliseconds deadline)
{
    const auto wait = std::max(std::chrono::milliseconds(0), deadline - m_services.clock.steadyNow());
    m_wake.start(wait);
}

void CInfoView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    layoutPage();
}

void CInfoView::layoutPage()
{
    // The window's own width: the scroll area's viewport may not have followed a resize yet.
    const QScrollBar* bar = m_scroll->verticalScrollBar();
    const int width = std::max(0, this->width() - kPageMargin - (bar->isVisible() ? bar->width() : 0));
    const PageElements::Element* singleRow = m_logic.page().GetElement(u"idTargetRow1");
    int fieldWidth = width;
    if (singleRow && singleRow->display == u"block") {
        const int side = std::min(width / 3, kTargetSize);
        for (const std::u16string_view id : {u"Target1", u"Target2"}) {
            if (QWidget* target = element(platform::ui::qtext(id))) {
                target->setFixedSize(side, side);
            }
        }
        fieldWidth = width - side;
    } else {
        for (const std::u16string_view id :
             {u"TargetStanding1", u"TargetProne1", u"TargetStanding2", u"TargetProne2"}) {
            if (QWidget* target = element(platform::ui::qtext(id))) {
                target->setFixedSize(width, kTargetSize);
            }
        }
    }
    // At most that wide, so the fields never hold the page wider than its window.
    m_shooterName->setMaximumWidth(std::max(0, fieldWidth - 12));
    m_comments->setMaximumWidth(std::max(0, fieldWidth - 12));
    // The comments fill what the target's row leaves below the name, keeping at least one line.
    const int rowHeight = std::min(width / 3, kTargetSize);
    const QWidget* nameRow = element(QStringLiteral("idShooterNameRow"));
    const QWidget* title = element(QStringLiteral("idCommentsTitle"));
    const int lineHeight = m_comments->fontMetrics().lineSpacing() + 8;
    const int used = (nameRow ? nameRow->sizeHint().height() : 0) + (title ? title->sizeHint().height() : 0);
    m_comments->setFixedHeight(std::max(lineHeight, rowHeight - used - 12));
}

} // namespace talvodesk
