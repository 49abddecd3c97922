#include "talvodesk/app/ShotsParametersDlg.h"

#include "talvodesk/app/ResText.h"
#include "talvodesk/app/internal/DialogParts.h"
#include "talvodesk/app/internal/UpDownControl.h"
#include "talvodesk/core/document/EventCodes.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace talvodesk {

namespace {

constexpr std::uint32_t kTitleText = 36080;
constexpr std::uint32_t kDispersionText = 36081;
constexpr std::uint32_t kShotMomentText = 36082;
constexpr std::uint32_t kCoefficientText = 36083;
constexpr std::uint32_t kIntervalText = 36084;
constexpr std::uint32_t kInterval2Text = 61515;
constexpr std::uint32_t kCoincideText = 36085;
constexpr std::uint32_t kMillimetresText = 36086;
constexpr std::uint32_t kSecondsText = 36087;

const ShotsSpin& spinFor(int edit)
{
    return *std::ranges::find(kShotsSpins, edit, &ShotsSpin::edit);
}

QString fromStd(const std::string& text)
{
    return QString::fromStdString(text);
}

} // namespace

CShotsParametersDlg::CShotsParametersDlg(const CTalvoAppModule& module, const ShotsParameters& values,
                                         std::int32_t eventCode, QWidget* parent, Beep beep)
    : QDialog(parent), m_values(values), m_beep(beep ? std::move(beep) : Beep([] { QApplication::beep(); }))
{
    setWindowTitle(ResText(module, kTitleText));
    const auto text = [&module](std::uint32_t id) { return ResText(module, id); };
    auto* grid = new QGridLayout;
    addRow(grid, 0, spinFor(kIdBulletDispersion), text(kDispersionText), text(kMillimetresText));
    addRow(grid, 1, spinFor(kIdShotMoment), text(kShotMomentText), text(kSecondsText));
    addRow(grid, 2, spinFor(kIdFCoefficient), text(kCoefficientText), QString());
    addRow(grid, 3, spinFor(kIdControlInterval), text(kIntervalText), text(kSecondsText));
    addRow(grid, 4, spinFor(kIdControlInterval2), text(kInterval2Text), text(kSecondsText));
    m_coincide = new QCheckBox(text(kCoincideText), this);
    m_coincide->setObjectName(QString::number(kIdCoincide));
    m_coincide->setTristate(true);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(m_coincide);
    layout->addWidget(makeOkCancel(*this, ModuleTexts(module)));

    const bool biathlon = eventCode == kBiathlonEventCode;
    editOf(kIdShotMoment)->setEnabled(!biathlon);
    m_coincide->setEnabled(!biathlon);

    const ShotsParametersTexts texts = ShotsParametersToTexts(values);
    m_coincide->setCheckState(static_cast<Qt::CheckState>(texts.coincide));
    m_reentrant = true;
    editOf(kIdFCoefficient)->setText(fromStd(texts.fCoefficient));
    editOf(kIdBulletDispersion)->setText(fromStd(texts.bulletDispersion));
    editOf(kIdShotMoment)->setText(fromStd(texts.shotMoment));
    editOf(kIdControlInterval)->setText(fromStd(texts.controlInterval));
    editOf(kIdControlInterval2)->setText(fromStd(texts.controlInterval2));
    m_reentrant = false;
    spinsFromEdits();
    if (parent != nullptr) {
        adjustSize();
        CentreOnOwner(*this);
    }
}

void CShotsParametersDlg::addRow(QGridLayout* layout, int row, const ShotsSpin& spin, const QString& label,
                                 const QString& unit)
{
    auto* edit = new QLineEdit(this);
    edit->setObjectName(QString::number(spin.edit));
    auto* upDown = new UpDownControl(spin.minimum, spin.maximum, this);
    upDown->setObjectName(QString::number(spin.spin));
    auto* caption = new QLabel(label, this);
    caption->setBuddy(edit);
    layout->addWidget(caption, row, 0);
    layout->addWidget(edit, row, 1);
    layout->addWidget(upDown, row, 2);
    layout->addWidget(new QLabel(unit, this), row, 3);
    connect(edit, &QLineEdit::textChanged, this, &CShotsParametersDlg::spinsFromEdits);
    connect(upDown, &UpDownControl::positionChanged, this, [this, edit, &spin](int position) {
        m_reentrant = true;
        edit->setText(fromStd(TextFromSpinPosition(spin, position)));
        m_reentrant = false;
    });
}

QLineEdit* CShotsParametersDlg::editOf(int id) const
{
    return findChild<QLineEdit*>(QString::number(id));
}

void CShotsParametersDlg::spinsFromEdits()
{
    if (m_reentrant) {
        return;
    }
    for (const ShotsSpin& spin : kShotsSpins) {
        const auto position = SpinPositionFromText(spin, editOf(spin.edit)->text().toStdString());
        if (position) {
            findChild<UpDownControl*>(QString::number(spin.spin))->setPosition(*position);
        }
    }
}

void CShotsParametersDlg::accept()
{
    const ShotsParametersTexts texts{
        static_cast<std::int32_t>(m_coincide->checkState()), editOf(kIdFCoefficient)->text().toStdString(),
        editOf(kIdBulletDispersion)->text().toStdString(),   editOf(kIdShotMoment)->text().toStdString(),
        editOf(kIdControlInterval)->text().toStdString(),    editOf(kIdControlInterval2)->text().toStdString()};
    const auto result = ValidateShotsParameters(texts);
    if (const int* failing = std::get_if<int>(&result)) {
        m_beep();
        QLineEdit* edit = editOf(*failing);
        edit->setFocus(Qt::OtherFocusReason);
        edit->selectAll();
        return;
    }
    m_values = std::get<ShotsParameters>(result);
    QDialog::accept();
}

} // namespace talvodesk
