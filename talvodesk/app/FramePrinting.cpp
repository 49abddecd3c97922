#include "talvodesk/app/FramePrinting.h"

#include "talvodesk/app/FrameDialogs.h"
#include "talvodesk/app/MessageBoxes.h"
#include "talvodesk/app/internal/DialogParts.h"
#include "talvodesk/core/document/TalvoData.h"
#include "talvodesk/core/options/AppModule.h"
#include "talvodesk/core/report/PrintFile.h"
#include "talvodesk/views/PrintJob.h"
#include "talvodesk/views/PrintPreviewPane.h"

#include "platform/com/Bstr.h"
#include "platform/ui/QtText.h"

#include <QDir>
#include <QPrinterInfo>

#include <filesystem>

namespace talvodesk {

namespace {

constexpr std::uint32_t kTitle = 128;
constexpr std::uint32_t kPrintFailed = 32862;

} // namespace

FramePrinting::FramePrinting(Services services)
    : m_services(std::move(services)), m_pictures(m_services.frame),
      m_printer(QPrinterInfo::defaultPrinter(), QPrinter::HighResolution)
{
    if (QPrinterInfo::defaultPrinter().isNull()) {
        // No printer on this machine: the report goes to a PDF file the print dialog names.
        m_printer.setOutputFormat(QPrinter::PdfFormat);
    }
    UsePrintableArea(m_printer);
}

FramePrinting::~FramePrinting() = default;

void FramePrinting::reportFailure()
{
    (void)ResMessageBox(m_services.module, kPrintFailed, MB_OK | MB_ICONERROR, kTitle, m_services.frame);
}

ReportRequest FramePrinting::request(PrinterMeasure& measure, const PrinterPage& page)
{
    return {m_services.data,
            m_services.options,
            m_services.module,
            m_pictures,
            m_services.newShots,
            m_services.sources,
            measure.context(),
            &measure.context().textMeasure(),
            page,
            m_margins};
}

bool FramePrinting::buildReport()
{
    const WaitCursor wait;
    const PrinterPage page = PrinterPageOf(m_printer);
    PrinterMeasure measure(page);
    return BuildReportPrintout(request(measure, page), m_fonts, m_printout);
}

QString FramePrinting::documentName() const
{
    return m_services.frame->windowTitle();
}

bool FramePrinting::choosePrinter(int pageCount, int& from, int& to)
{
    from = 1;
    to = pageCount;
    platform::com::Bstr catalog;
    (void)m_services.data.GetCatalogPath(catalog); // without one the file is offered in the home folder
    const std::filesystem::path file =
        DefaultPrintFile(platform::ui::text16(documentName()), std::filesystem::path(std::u16string(catalog.view())),
                         std::filesystem::path(QDir::homePath().toStdU16String()));
    return m_services.dialogs.choosePrinter(m_services.frame, m_printer, QString::fromStdU16String(file.u16string()),
                                            pageCount, from, to);
}

void FramePrinting::OnFilePrint()
{
    if (!buildReport()) {
        reportFailure();
        return;
    }
    int from = 1;
    int to = 1;
    if (!choosePrinter(static_cast<int>(m_printout.size()), from, to)) {
        return;
    }
    // The chosen printer may have other paper: the pages fit it only when laid out for it.
    m_printout.clear();
    if (!buildReport()) {
        reportFailure();
        return;
    }
    if (m_preview != nullptr) {
        m_preview->setPage(0);
    }
    if (!PrintPrintout(m_printout, m_printer, documentName(), from - 1, to - 1)) {
        reportFailure();
    }
}

void FramePrinting::OnShotPrint()
{
    platform::com::ComPtr<IShot> shot;
    if (!m_services.data.GetCurrentShot(shot) || !shot) {
        return;
    }
    int from = 1;
    int to = 1;
    if (!choosePrinter(1, from, to)) {
        return;
    }
    m_printout.clear();
    bool printed = false;
    {
        const WaitCursor wait;
        const PrinterPage page = PrinterPageOf(m_printer);
        PrinterMeasure measure(page);
        printed = BuildShotPrintout(request(measure, page), *shot, m_fonts, m_printout) &&
                  PrintPrintout(m_printout, m_printer, documentName(), from - 1, to - 1);
    }
    if (!printed) {
        reportFailure();
    }
    // The report is laid out again on its next use; an open preview would otherwise show the shot's page.
    m_printout.clear();
    if (m_preview != nullptr) {
        UpdatePrintPreview();
    }
}

void FramePrinting::OnFilePrintSetup()
{
    if (!m_services.dialogs.setUpPage(m_services.frame, m_printer, m_margins, m_services.module)) {
        return;
    }
    m_printout.clear();
    if (m_preview != nullptr) {
        UpdatePrintPreview();
    }
}

void FramePrinting::OnFilePrintPreview()
{
    if (m_preview != nullptr) {
        return;
    }
    if (!buildReport()) {
        reportFailure();
        return;
    }
    m_preview = new PrintPreviewPane([this]() -> const Printout& { return m_printout; },
                                     [this] { return PrinterPageOf(m_printer); }, m_services.frame);
    m_preview->setLayoutDirection(Qt::LeftToRight);
    m_services.showPreview(m_preview);
}

void FramePrinting::OnClosePrintPreview()
{
    if (m_preview == nullptr) {
        return;
    }
    m_services.showPreview(nullptr);
    delete m_preview;
    m_preview = nullptr;
}

void FramePrinting::NextPage()
{
    if (m_preview != nullptr) {
        m_preview->nextPage();
    }
}

void FramePrinting::PreviousPage()
{
    if (m_preview != nullptr) {
        m_preview->previousPage();
    }
}

int FramePrinting::previewPage() const
{
    return m_preview != nullptr ? m_preview->page() : -1;
}

int FramePrinting::previewPageCount() const
{
    return m_preview != nullptr ? static_cast<int>(m_printout.size()) : 0;
}

void FramePrinting::UpdatePrintPreview()
{
    m_printout.clear();
    if (m_preview == nullptr) {
        return;
    }
    if (!buildReport()) {
        reportFailure();
    }
    m_preview->setPage(0);
}

} // namespace talvodesk
