#pragma once

#include "platform/gfx/CoverageCache.h"
#include "platform/gfx/Geometry.h"

#include <QImage>
#include <QWidget>

#include <functional>
#include <memory>

namespace platform::gfx {
class DrawContext;
}
namespace platform::ui {
class MessageWindow;
}

namespace talvoboard {

/// The target control's window. It keeps its drawing in a backing image, so the control can also draw into it
/// outside a paint event (incremental updates); an invalidated image is redrawn whole at the next paint. Traces
/// whose exact outlines would come later than a frame are first drawn fast, and the window is drawn again when
/// the pool has measured them.
/// Thread rule: owner (user-interface) thread only.
class TargetWidget final : public QWidget {
public:
    /// Draws into a context whose bounds are the given client rectangle.
    using Painter = std::function<void(platform::gfx::DrawContext& context, const platform::gfx::Rect& bounds)>;

    /// `paintAll` draws the whole control; it must outlive the widget.
    explicit TargetWidget(Painter paintAll);
    ~TargetWidget() override;

    platform::gfx::Rect clientRect() const { return {0, 0, width(), height()}; }

    /// The whole drawing is redone at the next paint.
    void invalidate();
    /// Draws over the current drawing now (redoing it first when it is stale) and shows it at the next paint.
    void drawIncrement(const Painter& painter);
    /// What the outlines of whole drawings cover, for every whole drawing of the control at the window's size.
    platform::gfx::CoverageCache& coverageCache() { return m_coverage; }

protected:
    /// Shows the backing image, redrawn first when stale or of another size than the window.
    void paintEvent(QPaintEvent* event) override;

private:
    /// False when no image of the client size can be had.
    bool ensureBacking();

    /// Takes what the pool measured in the background, and draws again with it.
    void measured();

    Painter m_paintAll;
    QImage m_backing;
    bool m_stale = true;
    // Before the cache, whose background posts to it until the cache is gone.
    std::unique_ptr<platform::ui::MessageWindow> m_window;
    platform::gfx::CoverageCache m_coverage;
};

} // namespace talvoboard
