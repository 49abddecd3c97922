#pragma once

#include "interfaces/talvoboard/ITarget.h"
#include "interfaces/talvodata/IAiming.h"
#include "interfaces/talvodata/IAimingAttr.h"
#include "interfaces/talvodata/IEventParams.h"
#include "interfaces/talvodata/IShot.h"
#include "platform/com/ComPtr.h"

#include <QFrame>

#include <functional>
#include <optional>

class QLabel;
class QScrollBar;

namespace talvodesk {

class CPulseWindow;
class CTalvoData;

/// What the replay control works on; the pointers are observed and must outlive the window.
struct ReplayControlServices {
    CTalvoData* data = nullptr;
    /// The trace window's control.
    ITarget* target = nullptr;
    CPulseWindow* pulse = nullptr;
    /// The blind-training tone, fed with each replayed point, the range's event and the shot's attributes.
    std::function<void(float x, float y, IEventParams* event, IAimingAttr* attributes)> tone;
    /// Refreshes the trace view's match time counter when a replay starts.
    std::function<void()> matchTimeCounter;
};

/// The panel over the target's top-left corner while a shot is replayed: start, current and end time above a
/// scroll bar that moves the replay. Made hidden, with a thin sunken edge, 12 scroll-bar heights wide and a label line
/// plus a scroll bar tall; SetShot shows and hides it. Owner (user-interface) thread only.
class CReplayControlWindow final : public QFrame {
public:
    /// `owner` is the trace view.
    CReplayControlWindow(QWidget* owner, ReplayControlServices services);
    ~CReplayControlWindow() override;

    /// Holds the shot and shows the window at the owner's top-left over its siblings; none hides it.
    void SetShot(IShot* shot);
    /// Follows the replay to `seconds` (relative to the shot): tone, scroll bar, centre label, trigger, pulse.
    void SetPosition(float seconds);

    /// Starts replaying the shot of `aiming` from its first point inside the visible area. The trigger scale taken
    /// from the shot's trace, when it carries trigger values.
    std::optional<LONG> StartReplay(IShot* shot, IAiming* aiming);

    const platform::com::ComPtr<IShot>& shot() const { return m_shot; }
    QLabel* leftLabel() const { return m_left; }
    QLabel* centreLabel() const { return m_centre; }
    QLabel* rightLabel() const { return m_right; }
    QScrollBar* scrollBar() const { return m_scroll; }

private:
    void scrolled(int action);

    ReplayControlServices m_services;
    platform::com::ComPtr<IShot> m_shot;
    QLabel* m_left = nullptr;
    QLabel* m_centre = nullptr;
    QLabel* m_right = nullptr;
    QScrollBar* m_scroll = nullptr;
};

} // namespace talvodesk
