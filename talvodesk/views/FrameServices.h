#pragma once

#include "interfaces/talvolink/ITalvoDevice.h"

#include <cstdint>

class QProgressBar;
class QStatusBar;
class QWidget;

namespace talvodesk {

/// What the document, the dialogs and the views reach of the main frame. Main thread only.
class CMainFrameBase {
public:
    virtual QStatusBar* statusBarControl() = 0;
    /// The status bar's progress bar while one is shown, else null.
    virtual QProgressBar* progressBar() = 0;
    /// Shows a progress bar in the status bar after the text (none for an empty text).
    virtual bool BeginProgress(std::uint32_t textId) = 0;
    virtual void EndProgress() = 0;
    virtual std::int32_t GetEventCode() = 0;
    virtual bool devicePresent() = 0;
    virtual bool matchMode() = 0;
    /// The device with a reference added; false without one.
    virtual bool GetDevice(ITalvoDevice** device) = 0;
    virtual bool uiLock() = 0;
    virtual bool setUiLock(bool locked) = 0;

protected:
    ~CMainFrameBase() = default;
};

/// The frame while the program's run loop is active, else null.
CMainFrameBase* FrameServices();
void SetFrameServices(CMainFrameBase* frame);

} // namespace talvodesk
