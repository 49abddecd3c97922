#include "talvodesk/app/PrintTargetDlg.h"

#include "talvodesk/app/MessageBoxes.h"
#include "talvodesk/app/ResText.h"
#include "talvodesk/app/internal/DialogParts.h"
#include "talvodesk/app/internal/UpDownControl.h"
#include "talvodesk/core/options/AppModule.h"
#include "talvodesk/core/practice/StartPracticeRules.h"
#include "talvodesk/core/report/PrintFile.h"
#include "talvodesk/views/PrintJob.h"
#include "talvodesk/views/PrintPreviewPane.h"

#include "interfaces/talvodata/Guids.h"
#include "platform/com/ClassTable.h"
#include "platform/ui/QtText.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPrinterInfo>
#include <QPushButton>
#include <QVBoxLayout>

#include <filesystem>

namespace talvodesk {

namespace {

constexpr std::uint32_t kTitle = 128;
constexpr std::uint32_t kPrintFailed = 32862;
constexpr std::uint32_t kFontFace = 61223;
constexpr std::uint32_t kTitleText = 36070;
constexpr std::uint32_t kPrintText = 35053;
constexpr std::uint32_t kScoreRingsText = 36071;
constexpr std::uint32_t kClipText = 36072;
constexpr std::uint32_t kMetersText = 36073;
constexpr std::uint32_t kEventText = 36074;
constexpr std::uint32_t kTargetTypeText = 36075;
constexpr std::uint32_t kDistanceText = 36076;
constexpr std::uint32_t kPreviewText = 36077;
constexpr int kDistanceSteps = 10; // the spin control counts tenths of a metre

} // namespace

CPrintTargetDlg::CPrintTargetDlg(const CTalvoAppModule& module, QWidget* parent, PrinterQuestion askPrinter, Beep beep)
    : QDialog(parent), m_module(module), m_askPrinter(std::move(askPrinter)),
      m_beep(beep ? std::move(beep) : Beep([] { QApplication::beep(); })),
      m_printer(QPrinterInfo::defaultPrinter(), QPrinter::HighResolution)
{
    setWindowTitle(ResText(m_module, kTitleText));
    if (QPrinterInfo::defaultPrinter().isNull()) {
        // No printer on this machine: the page goes to a PDF file the print dialog names.
        m_printer.setOutputFormat(QPrinter::PdfFormat);
    }
    UsePrintableArea(m_printer);

    // The controls are made in their tab order.
    createChoices();
    auto* print = new QPushButton(ResText(m_module, kPrintText), this);
    print->setObjectName(QStringLiteral("1086"));
    print->setDefault(true);
    auto* close = new QPushButton(ResText(m_module, kCloseText), this);
    close->setObjectName(QStringLiteral("2"));
    createPreview();
    layOut(print, close);
    connectControls(print, close);

    ShowPreview(false);
    openEventManager();
    m_distanceEdit->setText(platform::ui::qtext(FormatPrintDistance(m_distance)));
    m_scoreRingsBox->setChecked(m_scoreRings);
    m_clipBox->setChecked(m_clip);
    m_upDown->setPosition(static_cast<int>(m_distance * kDistanceSteps));
    CentreOnOwner(*this);
}

void CPrintTargetDlg::createChoices()
{
    m_eventList = new QListWidget(this);
    m_eventList->setObjectName(QStringLiteral("1004"));
    m_eventList->setSelectionMode(QAbstractItemView::SingleSelection);
    m_models = new QComboBox(this);
    m_models->setObjectName(QStringLiteral("1085"));
    for (const PrintTargetModel& model : kPrintTargetModels) {
        m_models->addItem(platform::ui::qtext(model.text));
    }
    m_models->setCurrentIndex(kDefaultPrintTargetModel);
    m_distanceEdit = new QLineEdit(this);
    m_distanceEdit->setObjectName(QStringLiteral("1083"));
    m_distanceEdit->setMaxLength(31);
    m_upDown = new UpDownControl(static_cast<int>(kMinPrintDistance * kDistanceSteps),
                                 static_cast<int>(kMaxPrintDistance * kDistanceSteps), this);
    m_upDown->setObjectName(QStringLiteral("1082"));
    m_scoreRingsBox = new QCheckBox(ResText(m_module, kScoreRingsText), this);
    m_scoreRingsBox->setObjectName(QStringLiteral("1090"));
    m_clipBox = new QCheckBox(ResText(m_module, kClipText), this);
    m_clipBox->setObjectName(QStringLiteral("1101"));
}

void CPrintTargetDlg::createPreview()
{
    m_previewButton = new QPushButton(QStringLiteral(">>"), this);
    m_previewButton->setObjectName(QStringLiteral("1081"));
    m_preview = new PrintPreviewPane(
        [this]() -> const Printout& {
            // A page that cannot be laid out previews blank; unfolding and printing report the failure.
            (void)ComposeTargetPrintout();
            return m_printout;
        },
        [this] { return PrinterPageOf(m_printer); }, this);
    m_preview->setObjectName(QStringLiteral("1084"));
    m_preview->setMinimumSize(260, 340);
}

void CPrintTargetDlg::layOut(QPushButton* print, QPushButton* close)
{
    auto* distanceRow = new QHBoxLayout;
    distanceRow->addWidget(m_distanceEdit);
    distanceRow->addWidget(m_upDown);
    distanceRow->addWidget(new QLabel(ResText(m_module, kMetersText), this));
    distanceRow->addStretch();
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(print);
    buttons->addWidget(close);
    buttons->addStretch();
    buttons->addWidget(m_previewButton);
    auto* controls = new QVBoxLayout;
    controls->addWidget(new QLabel(ResText(m_module, kEventText), this));
    controls->addWidget(m_eventList, 1);
    controls->addWidget(new QLabel(ResText(m_module, kTargetTypeText), this));
    controls->addWidget(m_models);
    controls->addWidget(new QLabel(ResText(m_module, kDistanceText), this));
    controls->addLayout(distanceRow);
    controls->addWidget(m_scoreRingsBox);
    controls->addWidget(m_clipBox);
    controls->addLayout(buttons);
    auto* previewColumn = new QVBoxLayout;
    m_previewLabel = new QLabel(ResText(m_module, kPreviewText), this);
    previewColumn->addWidget(m_previewLabel);
    previewColumn->addWidget(m_preview, 1);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(controls);
    layout->addLayout(previewColumn, 1);
}

void CPrintTargetDlg::connectControls(QPushButton* print, QPushButton* close)
{
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    connect(print, &QPushButton::clicked, this, &CPrintTargetDlg::OnPrint);
    connect(m_previewButton, &QPushButton::clicked, this, [this] { ShowPreview(!m_previewShown); });
    connect(m_distanceEdit, &QLineEdit::textChanged, this, &CPrintTargetDlg::distanceEdited);
    connect(m_upDown, &UpDownControl::positionChanged, this, [this](int position) {
        m_distanceEdit->setText(
            platform::ui::qtext(FormatPrintDistance(static_cast<float>(position) / kDistanceSteps)));
    });
    connect(m_models, &QComboBox::currentIndexChanged, this, &CPrintTargetDlg::RefreshPreview);
    connect(m_scoreRingsBox, &QCheckBox::toggled, this, [this](bool checked) {
        m_scoreRings = checked;
        RefreshPreview();
    });
    connect(m_clipBox, &QCheckBox::toggled, this, [this](bool checked) {
        m_clip = checked;
        RefreshPreview();
    });
    connect(m_eventList, &QListWidget::itemSelectionChanged, this, &CPrintTargetDlg::RefreshPreview);
}

void CPrintTargetDlg::openEventManager()
{
    const WaitCursor wait;
    if (FAILED(CoCreateInstance(talvodata::CLSID_EventManager, nullptr, CLSCTX_ALL, IEventManager::kIid,
                                m_manager.putVoid()))) {
        m_manager = nullptr;
        QMetaObject::invokeMethod(this, &QDialog::reject, Qt::QueuedConnection);
        return;
    }
    fillEvents();
}

void CPrintTargetDlg::fillEvents()
{
    // Every event, by distance and then by name; none is chosen at first.
    for (ListedEvent& listed : ListEvents(*m_manager, EventFilters{}, EventCondition::Any, {}, m_module)) {
        m_eventList->addItem(platform::ui::qtext(listed.text));
        m_events.push_back(std::move(listed.event));
    }
}

void CPrintTargetDlg::distanceEdited(const QString& text)
{
    const std::optional<double> typed = ParsePrintDistance(platform::ui::text16(text));
    if (!typed) {
        m_beep();
        m_distanceEdit->setFocus();
        return;
    }
    if (TakesPrintDistance(*typed, m_distance)) {
        m_distance = static_cast<float>(*typed);
        RefreshPreview();
    }
}

void CPrintTargetDlg::RefreshPreview()
{
    m_printout.clear();
    m_preview->update();
}

bool CPrintTargetDlg::ComposeTargetPrintout()
{
    if (!m_printout.empty()) {
        return true;
    }
    const WaitCursor wait;
    PrintTargetChoice choice;
    const int row = m_eventList->currentRow();
    const auto selected = m_eventList->selectedItems();
    if (!selected.isEmpty() && row >= 0 && static_cast<std::size_t>(row) < m_events.size()) {
        choice.event = m_events[static_cast<std::size_t>(row)].get();
        choice.displayName = platform::ui::text16(selected.front()->text());
    }
    choice.model = m_models->currentIndex();
    choice.distance = m_distance;
    choice.scoreRings = m_scoreRings;
    choice.clip = m_clip;
    choice.fontFace = std::u16string(m_module.LoadString(kFontFace));
    const PrinterPage page = PrinterPageOf(m_printer);
    PrinterMeasure measure(page);
    return talvodesk::ComposeTargetPrintout(measure.context(), page, choice, m_printout);
}

void CPrintTargetDlg::reportFailure()
{
    (void)ResMessageBox(m_module, kPrintFailed, MB_OK | MB_ICONERROR, kTitle, this);
}

void CPrintTargetDlg::ShowPreview(bool show)
{
    if (show == m_previewShown) {
        return;
    }
    if (show && !ComposeTargetPrintout()) {
        reportFailure();
        return;
    }
    m_previewShown = show;
    m_preview->setVisible(show);
    m_previewLabel->setVisible(show);
    m_previewButton->setText(show ? QStringLiteral("<<") : QStringLiteral(">>"));
    adjustSize();
}

void CPrintTargetDlg::OnPrint()
{
    if (!ComposeTargetPrintout()) {
        reportFailure();
        return;
    }
    int from = 1;
    int to = static_cast<int>(m_printout.size());
    const std::filesystem::path file = DefaultPrintFile(platform::ui::text16(windowTitle()), {},
                                                        std::filesystem::path(QDir::homePath().toStdU16String()));
    if (!m_askPrinter(this, m_printer, QString::fromStdU16String(file.u16string()), to, from, to)) {
        return;
    }
    // The chosen printer may differ in paper and resolution: lay the page out again for it.
    RefreshPreview();
    if (!ComposeTargetPrintout() || !PrintPrintout(m_printout, m_printer, windowTitle(), from - 1, to - 1)) {
        reportFailure();
    }
}

} // namespace talvodesk
