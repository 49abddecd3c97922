#pragma once

#include "talvodesk/core/analysis/InfoViewLogic.h"
#include "talvodesk/core/events/TargetEventSink.h"
#include "talvodesk/views/PageWidgets.h"

#include "platform/com/ComPtr.h"

#include <QTimer>
#include <QWidget>

#include <array>
#include <functional>
#include <memory>

class QLineEdit;
class QPlainTextEdit;
class QScrollArea;

namespace platform::time {
class Clock;
}

namespace talvodesk {

class CTalvoAppModule;
class CTargetWindow;
class COptions;

/// The main pane's "General info" page: the welcome panel with its two tiles, or the practice panel with the
/// shooter's name and comments, the targets and the statistics table. Every element is a widget named by its id
/// and follows the page registry of InfoViewLogic; this window builds them, lays them out and passes the
/// edits, clicks and target events on. Main thread only.
class CInfoView final : public QWidget, private InfoViewHost {
public:
    struct Services {
        const CTalvoAppModule& module;
        const COptions& options;
        const platform::time::Clock& clock;
        /// Runs a frame command later (the tiles' Start practice and Open).
        std::function<void(std::uint16_t command)> postCommand;
    };

    explicit CInfoView(Services services, QWidget* parent = nullptr);
    ~CInfoView() override;

    /// What the document tells: add this to its views.
    InfoViewLogic& logic() { return m_logic; }
    /// The element's widget; null when the page has none of that id.
    QWidget* element(const QString& id) const { return m_widgets.element(id); }

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    class TargetEvents;

    // InfoViewHost
    bool isPageVisible() override { return isVisible(); }
    void postCommand(std::uint16_t command) override;
    void setWaitCursor(bool wait) override;
    void layoutPage() override;
    void wakeAt(std::chrono::milliseconds deadline) override;

    QWidget* buildIntro();
    QWidget* buildPractice();
    QWidget* buildStatistics();
    QWidget* label(std::u16string_view id, int style = 0);
    QWidget* targetHost(std::u16string_view id, QWidget* parent, bool selectable);

    Services m_services;
    InfoViewLogic m_logic;
    QScrollArea* m_scroll = nullptr;
    QLineEdit* m_shooterName = nullptr;
    QPlainTextEdit* m_comments = nullptr;
    PageWidgets m_widgets;
    std::array<std::unique_ptr<CTargetWindow>, 6> m_targets;
    std::array<std::unique_ptr<TargetEvents>, 3> m_targetEvents;
    std::array<platform::com::ComPtr<TargetEventSink>, 3> m_sinks;
    QTimer m_wake;
};

} // namespace talvodesk
