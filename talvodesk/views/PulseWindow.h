#pragma once

#include "talvodesk/core/trace/PulsePanel.h"

#include <QWidget>

#include <cstdint>

namespace talvodesk {

/// The trace view's narrow side panel: the heart beat (heart image and pulse rate) and the trigger pressure (a
/// bar), live and in step with a replay. Mouse input goes on to the parent. Owner (user-interface) thread only.
class CPulseWindow final : public QWidget {
public:
    explicit CPulseWindow(QWidget* parent = nullptr);

    /// Chooses the parts shown and resets the values (pulse 0, trigger 0 of scale 1, beat phase 1).
    void SetFlags(bool pulse, bool trigger);
    void SetPulse(std::uint16_t value);
    void SetBeatPhase(std::int32_t phase);
    void SetTriggerValue(std::int32_t value);
    /// Kept at 32 at least.
    void SetTriggerScale(std::int32_t value);

    bool showPulse() const { return m_state.showPulse; }
    bool showTrigger() const { return m_state.showTrigger; }
    const PulsePanelState& state() const { return m_state; }
    const PulseLayout& layout() const { return m_layout; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void relayout();
    void repaintPart(const platform::gfx::Rect& part);

    PulsePanelState m_state;
    PulseLayout m_layout;
};

} // namespace talvodesk
