#pragma once

#include "talvodesk/core/document/ShotCollectionFactory.h"
#include "talvodesk/core/report/ReportLayout.h"
#include "talvodesk/core/report/ReportPrintout.h"
#include "talvodesk/views/HiddenTargetPictures.h"

#include "interfaces/talvodata/IShot.h"

#include <QPrinter>

#include <functional>

class QWidget;

namespace talvodesk {

class COptions;
class CTalvoAppModule;
class CTalvoData;
class FrameDialogs;
class PrinterMeasure;
class PrintPreviewPane;

/// The frame's printing: its printer, margins and one printout (the report or a one-shot page), printed, previewed
/// inside the frame and set up. Owner thread only.
class FramePrinting {
public:
    struct Services {
        CTalvoData& data;
        const COptions& options;
        const CTalvoAppModule& module;
        FrameDialogs& dialogs;
        /// The frame: the owner of the dialogs and the parent of the preview and the hidden target windows.
        QWidget* frame;
        /// The analysis views the report reads; none: their sections are left out.
        ReportSources* sources = nullptr;
        /// The collections of the shots on the report's target pictures.
        ShotCollectionFactory newShots;
        /// Puts the preview in place of the frame's views (null: puts the views back).
        std::function<void(QWidget* preview)> showPreview;
    };

    explicit FramePrinting(Services services);
    ~FramePrinting();
    FramePrinting(const FramePrinting&) = delete;
    FramePrinting& operator=(const FramePrinting&) = delete;

    /// Print: the report, on the printer and pages the print dialog chooses.
    void OnFilePrint();
    /// The shot pop-up's Print: the current shot on a page of its own.
    void OnShotPrint();
    /// Print setup: printer, paper and margins.
    void OnFilePrintSetup();
    /// Print preview: the report's first page inside the frame.
    void OnFilePrintPreview();
    void OnClosePrintPreview();
    void NextPage();
    void PreviousPage();
    /// The document changed: the report is laid out again, and an open preview shows its first page.
    void UpdatePrintPreview();

    bool previewOpen() const { return m_preview != nullptr; }
    /// The page the preview shows, zero-based; -1 without a preview.
    int previewPage() const;
    /// The pages the preview pages through; 0 without a preview.
    int previewPageCount() const;
    const Printout& printout() const { return m_printout; }
    const PageMargins& margins() const { return m_margins; }
    QPrinter& printer() { return m_printer; }

private:
    ReportRequest request(PrinterMeasure& measure, const PrinterPage& page);
    bool buildReport();
    void reportFailure();
    /// Asks for the printer and the pages; the report or shot page is laid out again for a changed printer.
    bool choosePrinter(int pageCount, int& from, int& to);
    /// The frame's title, which names every job.
    QString documentName() const;

    Services m_services;
    HiddenTargetPictures m_pictures;
    QPrinter m_printer;
    PageMargins m_margins;
    Printout m_printout;
    ReportFonts m_fonts;
    PrintPreviewPane* m_preview = nullptr;
};

} // namespace talvodesk
