#pragma once

#include "talvodesk/core/analysis/SeriesViewLogic.h"

#include <QAbstractScrollArea>
#include <QImage>
#include <QPointer>
#include <QTimer>

#include <cstdint>
#include <functional>
#include <memory>

class QMenu;

namespace platform::gfx {
class DrawContextQt;
}

namespace talvodesk {

class CMainFrameBase;
class CTalvoData;

/// The virtual-key code of a navigation key of the series view (arrows, pages, Home, End, Space); 0 for others.
std::uint32_t NavigationVirtualKey(int qtKey);

/// The frame's left pane: the practice's shots in serie blocks, each with its own target, as a scrolled shot list
/// or as a grid of targets. Its behaviour is SeriesViewLogic's; this window paints the cells, hosts the serie
/// windows, runs the timer and turns Qt's input into the logic's calls. Main thread only.
class CSeriesView final : public QAbstractScrollArea, private SeriesViewHost {
public:
    struct Services {
        CTalvoData& document;
        const COptions& options;
        const platform::time::Clock& clock;
        /// Null in tests without a frame (no device).
        CMainFrameBase* frame = nullptr;
        std::function<std::u16string(std::uint32_t)> loadString;
        /// The shot menu's commands go to the frame.
        std::function<void(std::uint16_t)> runCommand;
        std::function<bool(std::uint16_t)> commandEnabled;
    };

    explicit CSeriesView(Services services, QWidget* parent = nullptr);
    ~CSeriesView() override;

    /// What the document tells: the frame adds it to its views.
    SeriesViewLogic& logic() { return m_logic; }
    /// The shot menu while it is open.
    QMenu* shotMenu() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    class SerieHost;

    // SeriesViewHost
    std::unique_ptr<SerieWindow> createSerieWindow() override;
    platform::gfx::Size clientSize() override;
    bool shown() override;
    platform::gfx::DrawContext& measureContext() override;
    void setScrollBars(const SeriesScrollBars& bars) override;
    void repaint(const platform::gfx::Rect* client) override;
    bool devicePresent() override;
    bool matchMode() override;
    void timersChanged(std::optional<std::chrono::milliseconds> deadline) override;
    void showShotMenu() override;
    void setRowCursor(bool onRow) override;

    Services m_services;
    QImage m_measureImage;
    std::unique_ptr<platform::gfx::DrawContextQt> m_measure;
    QImage m_buffer;
    QTimer m_timer;
    QPointer<QMenu> m_menu;
    bool m_settingBars = false;
    SeriesViewLogic m_logic;
};

} // namespace talvodesk
