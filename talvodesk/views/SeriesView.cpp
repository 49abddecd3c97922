#include "talvodesk/views/SeriesView.h"

#include "talvodesk/core/document/TalvoData.h"
#include "talvodesk/core/events/TargetEventSink.h"
#include "talvodesk/core/frame/CommandIds.h"
#include "talvodesk/core/frame/CommandTable.h"
#include "talvodesk/core/frame/FrameCommands.h"
#include "talvodesk/views/FrameServices.h"
#include "talvodesk/views/TargetWindow.h"

#include "interfaces/talvoboard/ITarget.h"
#include "platform/gfx/DrawContextQt.h"
#include "platform/time/Clock.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QCursor>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>

namespace talvodesk {

using platform::com::ComPtr;

namespace {

constexpr std::uint32_t kWhite = 0xFFFFFF;

QRect qrect(const platform::gfx::Rect& rect)
{
    return {static_cast<int>(rect.left), static_cast<int>(rect.top), static_cast<int>(rect.width()),
            static_cast<int>(rect.height())};
}

platform::gfx::Point point(const QPoint& at)
{
    return {at.x(), at.y()};
}

/// A shot menu item's text as the frame's menus have it: the command's text, and its key after a tab.
QString commandText(cmd::Id id, bool hidden, const std::function<std::u16string(std::uint32_t)>& loadString)
{
    const CommandInfo* command = FindCommand(id);
    const std::u16string loaded = loadString(command->text);
    std::u16string_view text = loaded;
    if (id == cmd::HideShot) {
        text = HideShotMenuText(text, hidden);
    }
    QString label = QString::fromStdU16String(std::u16string(text));
    if (!command->key.empty()) {
        label +=
            QLatin1Char('\t') + QString::fromLatin1(command->key.data(), static_cast<qsizetype>(command->key.size()));
    }
    return label;
}

bool currentShotHidden(CTalvoData& document)
{
    ComPtr<IShot> shot;
    VARIANT_BOOL hidden = VARIANT_FALSE;
    return document.GetCurrentShot(shot) && shot && SUCCEEDED(shot->get_Hidden(&hidden)) && hidden == VARIANT_TRUE;
}

} // namespace

std::uint32_t NavigationVirtualKey(int qtKey)
{
    switch (qtKey) {
    case Qt::Key_Space:
        return 0x20;
    case Qt::Key_PageUp:
        return 0x21;
    case Qt::Key_PageDown:
        return 0x22;
    case Qt::Key_End:
        return 0x23;
    case Qt::Key_Home:
        return 0x24;
    case Qt::Key_Left:
        return 0x25;
    case Qt::Key_Up:
        return 0x26;
    case Qt::Key_Right:
        return 0x27;
    case Qt::Key_Down:
        return 0x28;
    default:
        return 0;
    }
}

/// A serie block's window: a hidden target host whose control's selection, right click and double click reach the
/// document and the view.
class CSeriesView::SerieHost final : public SerieWindow, public TargetEventHandler {
public:
    explicit SerieHost(CSeriesView& view) : m_view(view), m_sink(platform::com::makeComObject<TargetEventSink>(*this))
    {
    }
    ~SerieHost() override { m_sink->Detach(); }

    bool create() { return m_host.Create(m_view.viewport(), QRect(), kTargetWindowHiddenStyle, m_sink.get()); }

    ITarget* target() const override { return m_host.target().get(); }
    void setGeometry(const platform::gfx::Rect& rect) override
    {
        if (QWidget* window = m_host.window()) {
            window->setGeometry(qrect(rect));
        }
    }
    void setVisible(bool visible) override
    {
        if (QWidget* window = m_host.window()) {
            window->setVisible(visible);
        }
    }

private:
    void OnSelectionChanged() override
    {
        ComPtr<IShot> shot;
        if (target() && SUCCEEDED(target()->get_SelectedShot(shot.put()))) {
            (void)m_view.m_services.document.SetCurrentShot(shot.get()); // The same shot: nothing to tell.
        }
    }
    void OnRightClick(float /*x*/, float /*y*/) override { m_view.m_logic.OnContextMenu(); }
    void OnDblClick(float /*x*/, float /*y*/) override
    {
        OnSelectionChanged();
        (void)m_view.m_services.document.StartReplay(); // Refused: the shot stays selected.
    }

    CSeriesView& m_view;
    CTargetWindow m_host;
    ComPtr<TargetEventSink> m_sink;
};

CSeriesView::CSeriesView(Services services, QWidget* parent)
    : QAbstractScrollArea(parent), m_services(std::move(services)), m_measureImage(1, 1, QImage::Format_RGB32),
      m_measure(std::make_unique<platform::gfx::DrawContextQt>(m_measureImage)),
      m_logic({*this, m_services.options, m_services.clock, m_services.loadString, std::nullopt})
{
    setObjectName(QStringLiteral("SeriesView"));
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setMouseTracking(true);
    viewport()->setAutoFillBackground(false);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, [this] { m_logic.OnTimers(); });
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this](int value) {
        if (!m_settingBars) {
            m_logic.OnScrollTo(true, value);
        }
    });
    connect(horizontalScrollBar(), &QScrollBar::valueChanged, this, [this](int value) {
        if (!m_settingBars) {
            m_logic.OnScrollTo(false, value);
        }
    });
}

CSeriesView::~CSeriesView()
{
    if (m_logic.m_pDocument) {
        m_logic.m_pDocument->RemoveView(&m_logic);
    }
}

QMenu* CSeriesView::shotMenu() const
{
    return m_menu.data();
}

std::unique_ptr<SerieWindow> CSeriesView::createSerieWindow()
{
    auto host = std::make_unique<SerieHost>(*this);
    if (!host->create()) {
        return nullptr;
    }
    return host;
}

platform::gfx::Size CSeriesView::clientSize()
{
    return {viewport()->width(), viewport()->height()};
}

bool CSeriesView::shown()
{
    return isVisible();
}

platform::gfx::DrawContext& CSeriesView::measureContext()
{
    return *m_measure;
}

void CSeriesView::setScrollBars(const SeriesScrollBars& bars)
{
    m_settingBars = true;
    // The shot list keeps its vertical bar, disabled when all fits; the series grid never scrolls.
    setVerticalScrollBarPolicy(bars.verticalShown ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(bars.verticalShown ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    const auto apply = [](QScrollBar* bar, LONG maximum, LONG page, LONG position) {
        // Qt's maximum is the last position, not the last pixel of the content.
        bar->setRange(0, static_cast<int>(std::max<LONG>(0, maximum - page + 1)));
        bar->setPageStep(static_cast<int>(std::max<LONG>(1, page)));
        bar->setSingleStep(10);
        bar->setValue(static_cast<int>(position));
    };
    apply(verticalScrollBar(), bars.verticalMaximum, bars.verticalPage, bars.verticalPosition);
    apply(horizontalScrollBar(), bars.horizontalMaximum, bars.horizontalPage, bars.horizontalPosition);
    m_settingBars = false;
}

void CSeriesView::repaint(const platform::gfx::Rect* client)
{
    if (client) {
        viewport()->repaint(qrect(*client));
    } else {
        viewport()->update();
    }
}

bool CSeriesView::devicePresent()
{
    return m_services.frame && m_services.frame->devicePresent();
}

bool CSeriesView::matchMode()
{
    return m_services.frame && m_services.frame->matchMode();
}

void CSeriesView::timersChanged(std::optional<std::chrono::milliseconds> deadline)
{
    if (!deadline) {
        m_timer.stop();
        return;
    }
    const auto wait = std::max(std::chrono::milliseconds(0), *deadline - m_services.clock.steadyNow());
    m_timer.start(static_cast<int>(wait.count()));
}

void CSeriesView::showShotMenu()
{
    delete m_menu.data();
    auto* menu = new QMenu(this);
    menu->setObjectName(QStringLiteral("SHOT_POPUP"));
    menu->setAttribute(Qt::WA_DeleteOnClose);
    const auto addItem = [&](const QString& text, std::uint16_t command) {
        QAction* action = menu->addAction(text);
        action->setData(command);
        action->setEnabled(!m_services.commandEnabled || m_services.commandEnabled(command));
        connect(action, &QAction::triggered, this, [this, command] {
            if (m_services.runCommand) {
                m_services.runCommand(command);
            }
        });
        return action;
    };
    const auto add = [&](std::uint16_t command) {
        return addItem(commandText(command, command == cmd::HideShot && currentShotHidden(m_services.document),
                                   m_services.loadString),
                       command);
    };
    QAction* replay = add(cmd::Replay);
    add(cmd::HideShot);
    add(cmd::ShotPrint);
    menu->setDefaultAction(replay);
    m_menu = menu;
    // Qt keeps a popup inside the available area of the screen under its position.
    menu->popup(QCursor::pos());
}

void CSeriesView::setRowCursor(bool onRow)
{
    viewport()->setCursor(onRow ? Qt::PointingHandCursor : Qt::ArrowCursor);
}

void CSeriesView::paintEvent(QPaintEvent* event)
{
    const QSize size = viewport()->size();
    if (m_buffer.size() != size) {
        m_buffer = QImage(size, QImage::Format_RGB32);
    }
    const QRect area = event->rect();
    const platform::gfx::Rect update{area.left(), area.top(), area.right() + 1, area.bottom() + 1};
    {
        platform::gfx::DrawContextQt context(m_buffer);
        context.fillRect(update, kWhite);
        m_logic.Paint(context, &update);
    }
    QPainter painter(viewport());
    painter.drawImage(area, m_buffer, area);
}

void CSeriesView::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    m_logic.OnSize();
}

void CSeriesView::showEvent(QShowEvent* event)
{
    QAbstractScrollArea::showEvent(event);
    m_logic.OnShow();
}

void CSeriesView::mouseMoveEvent(QMouseEvent* event)
{
    m_logic.OnMouse(SeriesViewLogic::Mouse::Move, point(event->position().toPoint()));
}

void CSeriesView::mousePressEvent(QMouseEvent* event)
{
    setFocus(Qt::MouseFocusReason);
    if (event->button() == Qt::LeftButton) {
        m_logic.OnMouse(SeriesViewLogic::Mouse::LeftDown, point(event->position().toPoint()));
    } else if (event->button() == Qt::RightButton) {
        m_logic.OnMouse(SeriesViewLogic::Mouse::RightDown, point(event->position().toPoint()));
    }
}

void CSeriesView::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        m_logic.OnMouse(SeriesViewLogic::Mouse::DoubleClick, point(event->position().toPoint()));
    }
}

void CSeriesView::wheelEvent(QWheelEvent* event)
{
    m_logic.OnMouseWheel(event->angleDelta().y(), QApplication::wheelScrollLines());
    event->accept();
}

void CSeriesView::keyPressEvent(QKeyEvent* event)
{
    if (!m_logic.TranslateNavigationKey(NavigationVirtualKey(event->key()))) {
        QAbstractScrollArea::keyPressEvent(event);
    }
}

void CSeriesView::focusInEvent(QFocusEvent* event)
{
    QAbstractScrollArea::focusInEvent(event);
    m_logic.OnFocus(true);
}

void CSeriesView::focusOutEvent(QFocusEvent* event)
{
    QAbstractScrollArea::focusOutEvent(event);
    m_logic.OnFocus(false);
}

void CSeriesView::contextMenuEvent(QContextMenuEvent* event)
{
    // The right button already opened the shot menu over a row; the menu key opens it anywhere.
    if (event->reason() != QContextMenuEvent::Mouse) {
        m_logic.OnContextMenu();
    }
}

} // namespace talvodesk
