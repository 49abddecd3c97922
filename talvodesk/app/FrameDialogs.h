#pragma once

#include "talvodesk/core/options/ShotsParameters.h"
#include "talvodesk/core/options/TalvoOptionsTree.h"
#include "talvodesk/core/practice/StartPracticeChoice.h"
#include "talvodesk/core/report/ReportLayout.h"

#include "interfaces/talvodata/IEventParams.h"
#include "interfaces/talvolink/ITalvoDevice.h"
#include "platform/com/ComPtr.h"

#include <functional>

#include <QString>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

class QPrinter;
class QWidget;

namespace platform::registry {
class Key;
}
namespace platform::usb {
class UsbTransport;
}

namespace talvodesk {

class COptions;
class CTalvoAppModule;
class CTalvoData;

/// What the catalog dialog opens with: its caption, the one event it lists (empty: every event) and the event and
/// shooter folders it selects.
struct CatalogChoice {
    QString caption;
    std::u16string eventFilter;
    std::u16string event;
    std::u16string shooter;
    /// Where the dialog keeps its rectangle; none keeps nothing.
    const platform::registry::Key* settingsRoot = nullptr;
    /// The language of the event names; none: English.
    const CTalvoAppModule* module = nullptr;
};

/// What the start-practice dialog is given: the device control to configure and connect, and the event and
/// shooter named on the command line (empty: the remembered ones; both given: the dialog starts by itself).
struct StartPracticeRequest {
    ITalvoDevice* device = nullptr;
    std::u16string eventName;
    std::u16string shooterName;
    const COptions* options = nullptr;
    const platform::registry::Key* settingsRoot = nullptr;
    /// The language of the event names and the messages; none: English.
    const CTalvoAppModule* module = nullptr;
    /// Where USB devices are listed; none: the system's bus.
    platform::usb::UsbTransport* usb = nullptr;
};

/// What the calibration dialog works with while it is the device's only sink.
struct CalibrationRequest {
    ITalvoDevice* device = nullptr;
    CTalvoData* data = nullptr;
    const platform::registry::Key* settingsRoot = nullptr;
    /// Plays one of the program's sounds by name.
    std::function<void(std::u16string_view name)> playSound;
    /// A strong signal was seen (the frame's last-signal time).
    std::function<void()> signalSeen;
    /// The language of the dialog; none: English.
    const CTalvoAppModule* module = nullptr;
};

/// The dialogs the frame's commands open, so a headless run can answer them.
class FrameDialogs {
public:
    virtual ~FrameDialogs() = default;
    /// A practice file to open, `filter` naming the practices' files; nothing when cancelled.
    virtual std::optional<std::filesystem::path> openPractice(QWidget* owner, const QString& caption,
                                                              const QString& filter);
    /// A practice chosen in the catalog; nothing when cancelled. Without a catalog, the file dialog instead.
    virtual std::optional<std::filesystem::path> openFromCatalog(QWidget* owner, const CatalogChoice& choice);
    /// A file-system folder; nothing when cancelled.
    virtual std::optional<std::filesystem::path> chooseFolder(QWidget* owner, const QString& title);
    virtual void about(QWidget* owner, const CTalvoAppModule& module);
    /// The options dialog over `live`: the change flags on OK, nothing on Cancel (`live` then untouched).
    virtual std::optional<std::uint32_t> editOptions(QWidget* owner, COptions& live, const TextLookup& texts,
                                                     const platform::registry::Key* settingsRoot);
    /// The shots-parameters dialog: the values taken by OK, nothing on Cancel.
    virtual std::optional<ShotsParameters> editShotsParameters(QWidget* owner, const ShotsParameters& values,
                                                               std::int32_t eventCode, const CTalvoAppModule& module);
    /// The start-practice dialog; nothing when cancelled or when no device could be connected.
    virtual std::optional<StartPracticeChoice> startPractice(QWidget* owner, const StartPracticeRequest& request);
    /// The calibration dialog, modal over the running practice.
    virtual void calibrate(QWidget* owner, const CalibrationRequest& request);
    /// The print-target tool, modal over the frame; it prints by itself.
    virtual void printTarget(QWidget* owner, const CTalvoAppModule& module);
    /// The print dialog over `printer` for a printout of `pageCount` pages: the pages to print, one-based; false
    /// when cancelled. A print to file is offered as `file` unless the printer names one already.
    virtual bool choosePrinter(QWidget* owner, QPrinter& printer, const QString& file, int pageCount, int& from,
                               int& to);
    /// The page-setup dialog: printer, paper and the margins, asked in millimetres and kept in hundredths of a
    /// millimetre; the orientation is shown, not changed. False when cancelled.
    virtual bool setUpPage(QWidget* owner, QPrinter& printer, PageMargins& margins, const CTalvoAppModule& module);
    /// A page of the user's guide, in the desktop's browser.
    virtual void showHelpPage(const std::filesystem::path& page);
};

} // namespace talvodesk
