#include "talvodesk/app/CalibrationDlg.h"

#include "talvodesk/app/FrameDialogs.h"
#include "talvodesk/app/ResText.h"
#include "talvodesk/app/SensingBar.h"
#include "talvodesk/app/internal/DialogParts.h"
#include "talvodesk/core/document/TalvoData.h"

#include "interfaces/talvodata/IAimingCollection.h"
#include "platform/gfx/DrawContextQt.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace talvodesk {

namespace {

constexpr std::u16string_view kRectValue = u"WindowRectCalibration";
constexpr int kRedrawMs = 40;
constexpr int kPollMs = 100;
constexpr int kAreaMinimum = 200;
constexpr long kFiftyHertz = 1;
constexpr long kSixtyHertz = 2;
constexpr std::uint32_t kTitleText = 36020;
constexpr std::uint32_t kAdjustText = 36021;
constexpr std::uint32_t kUsbOpticalText = 36022;
constexpr std::uint32_t kImageSensorText = 36023;
constexpr std::uint32_t kUltraSensitiveText = 36024;
constexpr std::uint32_t kFilterForeignText = 36025;
constexpr std::uint32_t kPreviewText = 36026;
constexpr std::uint32_t kFiftyHertzText = 36027;
constexpr std::uint32_t kSixtyHertzText = 36028;

/// The frame in which the calibration target is drawn: off screen first, then copied to the window.
class TargetArea final : public QWidget {
public:
    TargetArea(const CalibrationPicture& picture, QWidget* parent) : QWidget(parent), m_picture(picture) {}

protected:
    void paintEvent(QPaintEvent*) override
    {
        QImage image(size(), QImage::Format_RGB32);
        image.fill(palette().color(QPalette::Window));
        {
            platform::gfx::DrawContextQt context(image);
            DrawCalibrationTarget(context, {0, 0, width(), height()}, m_picture);
        }
        QPainter(this).drawImage(0, 0, image);
    }

private:
    const CalibrationPicture& m_picture;
};

QString text(const std::string& utf8)
{
    return QString::fromStdString(utf8);
}

template <typename T> T* named(T* widget, int id)
{
    widget->setObjectName(QString::number(id));
    return widget;
}

bool hasAimings(CTalvoData* data)
{
    platform::com::ComPtr<IAimingCollection> aimings;
    LONG count = 0;
    return data != nullptr && data->GetAimings(aimings) && SUCCEEDED(aimings->get_Count(&count)) && count > 0;
}

CalibrationServices servicesOf(const CalibrationRequest& request)
{
    return {request.settingsRoot, request.playSound, request.signalSeen, request.module};
}

} // namespace

CCalibrationDlg::CCalibrationDlg(const CalibrationRequest& request, QWidget* parent)
    : QDialog(parent), m_state(request.device, servicesOf(request)), m_settingsRoot(request.settingsRoot)
{
    const CTalvoAppModule& module = ModuleOrEnglish(request.module);
    setWindowTitle(ResText(module, kTitleText));
    setSizeGripEnabled(true);
    m_instructions = named(new QLabel(ResText(module, kAdjustText), this), 1014);
    m_instructions->setWordWrap(true);
    m_signal = named(new SensingBar(this), 1012);
    m_signal->setMinimumWidth(fontMetrics().averageCharWidth() * 2);
    m_area = named(new TargetArea(m_state.Picture(), this), 1013);
    m_area->setMinimumSize(kAreaMinimum, kAreaMinimum);

    auto* top = new QHBoxLayout;
    top->addWidget(m_signal);
    top->addWidget(m_area, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_instructions);
    layout->addLayout(top, 1);

    m_piezo = addSlider(1015, 1011, kPiezoMinimum, kPiezoMaximum, m_piezoLabel);
    m_leds = addSlider(1016, 1017, 0, kBrightnessMaximum, m_ledsLabel);
    m_lamps = addSlider(1018, 1019, 0, kBrightnessMaximum, m_lampsLabel);
    const CalibrationControls controls = m_state.ReadControls();
    m_piezo->setValue(controls.piezoSensitivity);
    m_piezoLabel->setText(text(PiezoSensitivityText(controls.piezoSensitivity, module)));
    m_leds->setEnabled(controls.ledsAvailable);
    m_leds->setValue(controls.ledsBrightness);
    m_ledsLabel->setText(text(LedsBrightnessText(controls.ledsBrightness, module)));
    m_lamps->setEnabled(controls.lampsAvailable);
    m_lamps->setValue(controls.lampsBrightness);
    m_lampsLabel->setText(text(LampsBrightnessText(controls.lampsBrightness, module)));
    connect(m_piezo, &QSlider::valueChanged, this,
            [this](int value) { m_piezoLabel->setText(text(m_state.SetPiezoSensitivity(value))); });
    connect(m_leds, &QSlider::valueChanged, this,
            [this](int value) { m_ledsLabel->setText(text(m_state.SetLedsBrightness(value))); });
    connect(m_lamps, &QSlider::valueChanged, this,
            [this](int value) { m_lampsLabel->setText(text(m_state.SetLampsBrightness(value))); });

    (void)m_state.Subscribe(); // A device without events leaves the target still.
    m_state.SetWindow(this);

    m_imageSensorControls = new QWidget(this);
    m_triggerLevel = named(new QProgressBar(m_imageSensorControls), 1107);
    m_triggerLevel->setRange(kPiezoMinimum, kPiezoMaximum);
    m_triggerLevel->setTextVisible(false);
    m_ultraSensitive = named(new QCheckBox(ResText(module, kUltraSensitiveText), m_imageSensorControls), 1106);
    m_filterForeignShots = named(new QCheckBox(ResText(module, kFilterForeignText), m_imageSensorControls), 1096);
    m_preview = named(new QCheckBox(ResText(module, kPreviewText), m_imageSensorControls), 1099);
    m_fifty = named(new QRadioButton(ResText(module, kFiftyHertzText), m_imageSensorControls), 1108);
    m_sixty = named(new QRadioButton(ResText(module, kSixtyHertzText), m_imageSensorControls), 1109);
    auto* imageLayout = new QVBoxLayout(m_imageSensorControls);
    imageLayout->setContentsMargins(0, 0, 0, 0);
    for (QWidget* control : std::initializer_list<QWidget*>{m_triggerLevel, m_ultraSensitive, m_filterForeignShots,
                                                            m_preview, m_fifty, m_sixty}) {
        imageLayout->addWidget(control);
    }
    m_imageSensorControls->hide();
    layout->addWidget(m_imageSensorControls);

    auto* close = named(new QPushButton(ResText(module, kCloseText), this), 1);
    close->setDefault(true);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(close);
    layout->addLayout(buttons);

    m_redrawTimer = new QTimer(this);
    m_redrawTimer->setSingleShot(true);
    m_redrawTimer->setInterval(kRedrawMs);
    connect(m_redrawTimer, &QTimer::timeout, this, [this] { m_state.OnRedrawTimer(); });
    m_pollTimer = new QTimer(this);
    m_pollTimer->setInterval(kPollMs);
    connect(m_pollTimer, &QTimer::timeout, this, [this] { m_state.OnPollTimer(); });

    if (m_state.DrawingVariant() == CalibrationVariant::ImageSensor) {
        m_instructions->setText(ResText(module, kImageSensorText));
        setUpImageSensor(request.data, controls);
    } else if (m_state.DrawingVariant() == CalibrationVariant::UsbOptical) {
        m_instructions->setText(ResText(module, kUsbOpticalText));
    }

    adjustSize();
    if (!RestoreWindowRect(*this, m_settingsRoot, kRectValue) && parent != nullptr) {
        move(parent->geometry().center() - QPoint(width() / 2, height() / 2));
    }
}

CCalibrationDlg::~CCalibrationDlg()
{
    m_state.SetWindow(nullptr);
    m_state.Finish();
}

QSlider* CCalibrationDlg::addSlider(int labelId, int sliderId, int minimum, int maximum, QLabel*& label)
{
    label = named(new QLabel(this), labelId);
    auto* slider = named(new QSlider(Qt::Horizontal, this), sliderId);
    slider->setRange(minimum, maximum);
    auto* row = new QHBoxLayout;
    row->addWidget(label, 1);
    row->addWidget(slider, 2);
    static_cast<QVBoxLayout*>(layout())->addLayout(row);
    return slider;
}

void CCalibrationDlg::setUpImageSensor(CTalvoData* document, const CalibrationControls& controls)
{
    m_pollTimer->start();
    m_ultraSensitive->setChecked(controls.ultraSensitiveTrigger);
    m_filterForeignShots->setChecked(controls.filterForeignShots);
    m_preview->setChecked(false);
    m_fifty->setChecked(controls.mainsFrequency == kFiftyHertz);
    m_sixty->setChecked(controls.mainsFrequency == kSixtyHertz);
    // The mains frequency sets the frame rate, which the practice's aimings were recorded with.
    const bool noAimings = !hasAimings(document);
    m_fifty->setEnabled(noAimings);
    m_sixty->setEnabled(noAimings);
    connect(m_ultraSensitive, &QCheckBox::clicked, this, [this](bool on) { m_state.SetUltraSensitiveTrigger(on); });
    connect(m_filterForeignShots, &QCheckBox::clicked, this, [this](bool on) { m_state.SetFilterForeignShots(on); });
    connect(m_preview, &QCheckBox::clicked, this, [this](bool on) { m_state.SetPreviewMode(on); });
    connect(m_fifty, &QRadioButton::clicked, this, [this](bool on) {
        if (on) {
            m_state.SetMainsFrequency(kFiftyHertz);
        }
    });
    connect(m_sixty, &QRadioButton::clicked, this, [this](bool on) {
        if (on) {
            m_state.SetMainsFrequency(kSixtyHertz);
        }
    });
    for (QWidget* hidden : std::initializer_list<QWidget*>{m_signal, m_ledsLabel, m_leds, m_lampsLabel, m_lamps}) {
        hidden->hide();
    }
    m_imageSensorControls->show();
}

void CCalibrationDlg::done(int result)
{
    StoreWindowRect(*this, m_settingsRoot, kRectValue);
    QDialog::done(result);
}

void CCalibrationDlg::DrawTarget()
{
    m_area->update();
}

void CCalibrationDlg::StartRedrawTimer()
{
    m_redrawTimer->start();
}

void CCalibrationDlg::ShowSignalLevel(long level)
{
    m_signal->setPosition(static_cast<int>(std::clamp<long>(level, 0, kSignalBarMaximum)));
}

void CCalibrationDlg::ShowTriggerLevel(long level)
{
    m_triggerLevel->setValue(static_cast<int>(std::clamp<long>(level, kPiezoMinimum, kPiezoMaximum)));
}

void CCalibrationDlg::PostClose()
{
    QMetaObject::invokeMethod(this, &QDialog::accept, Qt::QueuedConnection);
}

} // namespace talvodesk
