#pragma once

#include "talvodesk/core/options/ShotsParameters.h"

#include <QDialog>

#include <functional>

class QCheckBox;
class QGridLayout;
class QLineEdit;

namespace talvodesk {

class CTalvoAppModule;
class UpDownControl;

/// The shots-parameters dialog: six analysis parameters of the current practice, each edit with its spin. OK
/// checks them in order and, on the first one out of range, beeps and puts the focus there. Owner thread only.
class CShotsParametersDlg : public QDialog {
    Q_OBJECT
public:
    /// The system beep; tests give a counter.
    using Beep = std::function<void()>;
    /// The event code 2 (biathlon) disables the shot moment and the check box, whose values are still checked
    /// and returned. The texts are in the module's language.
    CShotsParametersDlg(const CTalvoAppModule& module, const ShotsParameters& values, std::int32_t eventCode,
                        QWidget* parent, Beep beep = {});

    /// The values taken by OK.
    const ShotsParameters& values() const { return m_values; }
    void accept() override;

private:
    QLineEdit* editOf(int id) const;
    void addRow(QGridLayout* layout, int row, const ShotsSpin& spin, const QString& label, const QString& unit);
    void spinsFromEdits();

    ShotsParameters m_values;
    Beep m_beep;
    /// Set while a spin writes its edit, so the edit's change does not move the spins back.
    bool m_reentrant = false;
    QCheckBox* m_coincide;
};

} // namespace talvodesk
