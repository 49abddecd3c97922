#pragma once

#include <QDialog>

namespace talvodesk {

/// The About box: the program's icon, its name with the version, and the warning text, centred over its parent.
class AboutDialog final : public QDialog {
    Q_OBJECT
public:
    explicit AboutDialog(QWidget* parent);
};

/// The version text shown in the About box.
QString ProgramVersion();

} // namespace talvodesk
