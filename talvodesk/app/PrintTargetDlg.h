#pragma once

#include "talvodesk/core/report/PrintTarget.h"
#include "talvodesk/core/report/Printout.h"

#include "interfaces/talvodata/IEventManager.h"
#include "interfaces/talvodata/IEventParams.h"
#include "platform/com/ComPtr.h"

#include <QDialog>
#include <QPrinter>

#include <functional>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace talvodesk {

class CTalvoAppModule;
class PrintPreviewPane;
class UpDownControl;

/// The print-target tool: an event's face printed for training at a shortened distance, reduced in the proportion
/// of that distance to the event's own, centred, optionally clipped to and framed at an electronic target's size.
/// A preview of the page folds out at the right. The controls carry their identifiers as object names. Owner thread
/// only.
class CPrintTargetDlg : public QDialog {
    Q_OBJECT
public:
    /// Chooses the printer and the pages to print (one-based, within 1..pageCount), offering a print to `file`;
    /// false when cancelled: the frame's print dialog.
    using PrinterQuestion =
        std::function<bool(QWidget* owner, QPrinter& printer, const QString& file, int pageCount, int& from, int& to)>;
    /// The system beep; tests count it.
    using Beep = std::function<void()>;

    CPrintTargetDlg(const CTalvoAppModule& module, QWidget* parent, PrinterQuestion askPrinter, Beep beep = {});

    /// False when no event manager could be made: the dialog then closes at once.
    bool hasEvents() const { return m_manager != nullptr; }
    const Printout& printout() const { return m_printout; }
    float distance() const { return m_distance; }

    /// Folds the preview out or in; unfolding lays the page out first and reports a failure.
    void ShowPreview(bool show);
    /// Lays the page out for the dialog's printer unless it already is.
    bool ComposeTargetPrintout();
    /// Drops the page, so the next preview or print lays it out again.
    void RefreshPreview();
    /// Asks for the printer and the pages, lays the page out for that printer and prints.
    void OnPrint();

private:
    // The constructor's steps.
    void createChoices();
    void createPreview();
    void layOut(QPushButton* print, QPushButton* close);
    void connectControls(QPushButton* print, QPushButton* close);
    /// Without an event manager the dialog closes as soon as it runs.
    void openEventManager();
    void fillEvents();
    void distanceEdited(const QString& text);
    void reportFailure();

    const CTalvoAppModule& m_module;
    PrinterQuestion m_askPrinter;
    Beep m_beep;
    QPrinter m_printer;
    Printout m_printout;
    platform::com::ComPtr<IEventManager> m_manager;
    std::vector<platform::com::ComPtr<IEventParams>> m_events;
    float m_distance = kDefaultPrintDistance;
    bool m_scoreRings = true;
    bool m_clip = true;
    bool m_previewShown = true;

    QListWidget* m_eventList;
    QComboBox* m_models;
    QLineEdit* m_distanceEdit;
    UpDownControl* m_upDown;
    QCheckBox* m_scoreRingsBox;
    QCheckBox* m_clipBox;
    QPushButton* m_previewButton;
    QLabel* m_previewLabel;
    PrintPreviewPane* m_preview;
};

} // namespace talvodesk
