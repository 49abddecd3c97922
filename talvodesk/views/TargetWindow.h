#pragma once

#include "interfaces/talvoboard/ITarget.h"
#include "platform/com/ComPtr.h"

#include <QPointer>
#include <QRect>
#include <QWidget>

#include <cstdint>

struct IConnectionPoint;

namespace talvodesk {

class COptions;

/// Child, visible, clip siblings and clip children.
inline constexpr std::uint32_t kTargetWindowStyle = 0x56000000;
/// Child only: a hidden host, as printing makes one.
inline constexpr std::uint32_t kTargetWindowHiddenStyle = 0x40000000;

/// A child window holding one target control, made by class identifier, whose interface the host keeps. The
/// control's widget fills the window and goes with it (stopping its replay timer); the control itself lives as long
/// as the host holds it, so a hidden host's control may outlive its window. Owner (user-interface) thread only.
class CTargetWindow {
public:
    CTargetWindow();
    virtual ~CTargetWindow();
    CTargetWindow(const CTargetWindow&) = delete;
    CTargetWindow& operator=(const CTargetWindow&) = delete;

    /// Makes the window and the control in it. False, with no window and no control, when the control cannot be
    /// made, or when this host already has a window. `events`, when given, is advised on the control's
    /// default source interface and unadvised when the host goes.
    bool Create(QWidget* parent, const QRect& rect, std::uint32_t style = kTargetWindowStyle,
                IDispatch* events = nullptr);

    /// Null before Create, after a failed one and once the parent destroyed the window.
    QWidget* window() const { return m_window.data(); }
    /// Empty before Create and after a failed one.
    const platform::com::ComPtr<ITarget>& target() const { return m_target; }

protected:
    /// Sets the new control up before the window shows.
    virtual void OnCreateControl(ITarget& target);

private:
    void Release();

    QPointer<QWidget> m_window;
    platform::com::ComPtr<ITarget> m_target;
    platform::com::ComPtr<IConnectionPoint> m_eventPoint;
    DWORD m_eventCookie = 0;
};

/// The trace view's host: the control draws traces, replays at the option's speed and shows no replay mark.
class CTraceWindow final : public CTargetWindow {
public:
    /// The options are read when the window is created and must outlive that call.
    explicit CTraceWindow(const COptions& options) : m_options(options) {}

protected:
    /// DisplayTrace true, ReplaySpeed the option, DisplayReplayMark false, in this order.
    void OnCreateControl(ITarget& target) override;

private:
    const COptions& m_options;
};

} // namespace talvodesk
