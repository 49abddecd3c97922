#pragma once

#include "interfaces/talvoboard/Guids.h"
#include "platform/com/Unknown.h"

class QWidget;

/// The host's side of the target control: the widget to place, and the container's ambient user mode.
struct ITargetWindow : IUnknown {
    using Base = IUnknown;
    static constexpr IID kIid = talvoboard::IID_ITargetWindow;

    /// The control's widget. The control made it; a host may give it a parent, which then owns it.
    virtual HRESULT GetWidget(QWidget** widget) = 0;
    /// VARIANT_FALSE is design mode, where a control without an event says so. Controls start in user mode.
    virtual HRESULT put_UserMode(VARIANT_BOOL userMode) = 0;

protected:
    ~ITargetWindow() = default;
};
