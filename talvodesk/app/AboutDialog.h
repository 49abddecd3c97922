#pragma once

#include <QDialog>

namespace talvodesk {

class CTalvoAppModule;

/// The About box: the program's icon, its name with the version, and the warning text in the module's language,
/// centred over its parent.
class AboutDialog final : public QDialog {
    Q_OBJECT
public:
    AboutDialog(const CTalvoAppModule& module, QWidget* parent);
};

/// The version text shown in the About box.
QString ProgramVersion();

} // namespace talvodesk
