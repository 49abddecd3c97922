#include "talvodesk/app/PageSetupDlg.h"

#include "talvodesk/app/ResText.h"
#include "talvodesk/app/internal/DialogParts.h"
#include "talvodesk/views/PrintJob.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPrinter>
#include <QPrinterInfo>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace talvodesk {

namespace {

constexpr double kHundredths = 100.0;
constexpr std::uint32_t kTitleText = 36050;
constexpr std::uint32_t kToFileText = 36051;
constexpr std::uint32_t kOrientationText = 36052;
constexpr std::uint32_t kPortraitText = 36053;
constexpr std::uint32_t kLandscapeText = 36054;
constexpr std::uint32_t kMarginsText = 36055;
constexpr std::uint32_t kLeftText = 36056;
constexpr std::uint32_t kRightText = 36057;
constexpr std::uint32_t kTopText = 36058;
constexpr std::uint32_t kBottomText = 36059;
constexpr std::uint32_t kPrinterText = 36060;
constexpr std::uint32_t kPaperText = 36061;
constexpr std::uint32_t kMillimetresText = 36086;

QList<QPageSize> filePapers()
{
    QList<QPageSize> papers;
    for (const QPageSize::PageSizeId id :
         {QPageSize::A3, QPageSize::A4, QPageSize::A5, QPageSize::B5, QPageSize::Letter, QPageSize::Legal,
          QPageSize::Executive, QPageSize::Tabloid}) {
        papers.append(QPageSize(id));
    }
    return papers;
}

QDoubleSpinBox* marginBox(const char* name, LONG hundredths, const QString& unit, QWidget* parent)
{
    auto* box = new QDoubleSpinBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setDecimals(1);
    box->setSuffix(QLatin1Char(' ') + unit);
    box->setMaximum(1000);
    box->setValue(hundredths / kHundredths);
    return box;
}

} // namespace

PageSetupDlg::PageSetupDlg(const CTalvoAppModule& module, const QPrinter& printer, const PageMargins& margins,
                           QWidget* parent)
    : QDialog(parent), m_landscape(printer.pageLayout().orientation() == QPageLayout::Landscape)
{
    setWindowTitle(ResText(module, kTitleText));
    m_printers = new QComboBox(this);
    m_printers->setObjectName(QStringLiteral("printer"));
    for (const QString& name : QPrinterInfo::availablePrinterNames()) {
        m_printers->addItem(name, name);
    }
    m_printers->addItem(ResText(module, kToFileText), QString());
    const bool file = printer.outputFormat() == QPrinter::PdfFormat;
    m_printers->setCurrentIndex(file ? m_printers->count() - 1
                                     : std::max(0, m_printers->findData(printer.printerName())));
    m_papers = new QComboBox(this);
    m_papers->setObjectName(QStringLiteral("paper"));

    // The layout is made for one orientation; it is chosen where the pages are printed.
    auto* orientation = new QGroupBox(ResText(module, kOrientationText), this);
    m_portrait = new QRadioButton(ResText(module, kPortraitText), orientation);
    m_portrait->setObjectName(QStringLiteral("portrait"));
    m_landscapeButton = new QRadioButton(ResText(module, kLandscapeText), orientation);
    m_landscapeButton->setObjectName(QStringLiteral("landscape"));
    (m_landscape ? m_landscapeButton : m_portrait)->setChecked(true);
    orientation->setEnabled(false);
    auto* orientationLayout = new QHBoxLayout(orientation);
    orientationLayout->addWidget(m_portrait);
    orientationLayout->addWidget(m_landscapeButton);

    auto* marginGroup = new QGroupBox(ResText(module, kMarginsText), this);
    const QString unit = ResText(module, kMillimetresText);
    m_left = marginBox("left", margins.left, unit, marginGroup);
    m_top = marginBox("top", margins.top, unit, marginGroup);
    m_right = marginBox("right", margins.right, unit, marginGroup);
    m_bottom = marginBox("bottom", margins.bottom, unit, marginGroup);
    auto* marginLayout = new QFormLayout(marginGroup);
    marginLayout->addRow(ResText(module, kLeftText), m_left);
    marginLayout->addRow(ResText(module, kRightText), m_right);
    marginLayout->addRow(ResText(module, kTopText), m_top);
    marginLayout->addRow(ResText(module, kBottomText), m_bottom);

    QDialogButtonBox* buttons = makeOkCancel(*this, ModuleTexts(module));
    auto* form = new QFormLayout;
    form->addRow(ResText(module, kPrinterText), m_printers);
    form->addRow(ResText(module, kPaperText), m_papers);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(orientation);
    layout->addWidget(marginGroup);
    layout->addWidget(buttons);

    fillPapers(printer.pageLayout().pageSize());
    connect(m_printers, &QComboBox::currentIndexChanged, this,
            [this] { fillPapers(m_papers->currentData().value<QPageSize>()); });
    connect(m_papers, &QComboBox::currentIndexChanged, this, &PageSetupDlg::limitMargins);
}

bool PageSetupDlg::toFile() const
{
    return m_printers->currentData().toString().isEmpty();
}

void PageSetupDlg::fillPapers(const QPageSize& current)
{
    QList<QPageSize> papers;
    if (!toFile()) {
        papers = QPrinterInfo::printerInfo(m_printers->currentData().toString()).supportedPageSizes();
    }
    if (papers.isEmpty()) {
        papers = filePapers();
    }
    // A paper of the printer's that no list holds is offered all the same.
    if (std::none_of(papers.begin(), papers.end(),
                     [&current](const QPageSize& paper) { return paper.isEquivalentTo(current); }) &&
        current.isValid()) {
        papers.prepend(current);
    }
    const QSignalBlocker quiet(m_papers);
    m_papers->clear();
    for (const QPageSize& paper : papers) {
        m_papers->addItem(paper.name(), QVariant::fromValue(paper));
        if (paper.isEquivalentTo(current)) {
            m_papers->setCurrentIndex(m_papers->count() - 1);
        }
    }
    limitMargins();
}

void PageSetupDlg::limitMargins()
{
    const QSizeF size = m_papers->currentData().value<QPageSize>().size(QPageSize::Millimeter);
    const double width = m_landscape ? size.height() : size.width();
    const double height = m_landscape ? size.width() : size.height();
    // Each margin stays below half its side, so some paper is always left to print on.
    for (QDoubleSpinBox* box : {m_left, m_right}) {
        box->setMaximum(std::floor(width / 2) - 1);
    }
    for (QDoubleSpinBox* box : {m_top, m_bottom}) {
        box->setMaximum(std::floor(height / 2) - 1);
    }
}

PageMargins PageSetupDlg::apply(QPrinter& printer) const
{
    if (toFile()) {
        printer.setOutputFormat(QPrinter::PdfFormat);
    } else {
        printer.setOutputFileName({}); // a file name would send the native job into that file
        printer.setPrinterName(m_printers->currentData().toString());
    }
    (void)printer.setPageSize(m_papers->currentData().value<QPageSize>()); // the paper was the printer's own
    (void)printer.setPageOrientation(m_landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    UsePrintableArea(printer);
    const auto hundredths = [](const QDoubleSpinBox* box) {
        return static_cast<LONG>(std::lround(box->value() * kHundredths));
    };
    return {hundredths(m_left), hundredths(m_top), hundredths(m_right), hundredths(m_bottom)};
}

} // namespace talvodesk
