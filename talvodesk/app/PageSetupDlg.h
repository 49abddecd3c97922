#pragma once

#include "talvodesk/core/report/ReportLayout.h"

#include <QDialog>
#include <QPageSize>

class QComboBox;
class QDoubleSpinBox;
class QPrinter;
class QRadioButton;

namespace talvodesk {

class CTalvoAppModule;

/// Print setup: the printer, the paper and the four margins in millimetres. The orientation is shown but cannot
/// be changed here. The controls carry object names ("printer", "paper", "portrait", "landscape", "left", "top",
/// "right", "bottom"). Owner thread only.
class PageSetupDlg : public QDialog {
    Q_OBJECT
public:
    /// Its texts in the module's language.
    PageSetupDlg(const CTalvoAppModule& module, const QPrinter& printer, const PageMargins& margins, QWidget* parent);

    /// Gives `printer` the chosen printer and paper, in its orientation; returns the chosen margins.
    PageMargins apply(QPrinter& printer) const;

private:
    /// The papers of the chosen printer, keeping `current` chosen when it has it.
    void fillPapers(const QPageSize& current);
    /// No margin may take half the paper or more.
    void limitMargins();
    bool toFile() const;

    bool m_landscape;
    QComboBox* m_printers;
    QComboBox* m_papers;
    QRadioButton* m_portrait;
    QRadioButton* m_landscapeButton;
    QDoubleSpinBox* m_left;
    QDoubleSpinBox* m_top;
    QDoubleSpinBox* m_right;
    QDoubleSpinBox* m_bottom;
};

} // namespace talvodesk
