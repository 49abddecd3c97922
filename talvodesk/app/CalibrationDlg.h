#pragma once

#include "talvodesk/core/calibration/CalibrationState.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QProgressBar;
class QRadioButton;
class QSlider;
class QTimer;

namespace talvodesk {

class CTalvoData;
class SensingBar;
struct CalibrationRequest;

/// The calibration dialog: the live aim point on a drawn calibration target, the signal level and the sensor's
/// sliders, and for the image sensor its options and picture. From construction to destruction the device is in
/// calibration mode and this dialog is its only sink. Controls carry their numeric identifiers as object names.
/// Owner thread only.
class CCalibrationDlg final : public QDialog, private CalibrationWindow {
    Q_OBJECT
public:
    /// The request's device must not be null.
    CCalibrationDlg(const CalibrationRequest& request, QWidget* parent);
    ~CCalibrationDlg() override;

    const CalibrationPicture& picture() const { return m_state.Picture(); }
    void done(int result) override;

private:
    // CalibrationWindow
    void DrawTarget() override;
    void StartRedrawTimer() override;
    void ShowSignalLevel(long level) override;
    void ShowTriggerLevel(long level) override;
    void PostClose() override;

    QSlider* addSlider(int labelId, int sliderId, int minimum, int maximum, QLabel*& label);
    void setUpImageSensor(CTalvoData* document, const CalibrationControls& controls);

    CalibrationState m_state;
    const platform::registry::Key* m_settingsRoot;
    QLabel* m_instructions;
    SensingBar* m_signal;
    QWidget* m_area;
    QLabel* m_piezoLabel = nullptr;
    QLabel* m_ledsLabel = nullptr;
    QLabel* m_lampsLabel = nullptr;
    QSlider* m_piezo;
    QSlider* m_leds;
    QSlider* m_lamps;
    QWidget* m_imageSensorControls;
    QProgressBar* m_triggerLevel;
    QCheckBox* m_ultraSensitive;
    QCheckBox* m_filterForeignShots;
    QCheckBox* m_preview;
    QRadioButton* m_fifty;
    QRadioButton* m_sixty;
    QTimer* m_redrawTimer;
    QTimer* m_pollTimer;
};

} // namespace talvodesk
