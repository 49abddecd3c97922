#include "talvodesk/app/AboutDialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>

namespace talvodesk {

QString ProgramVersion()
{
    return QStringLiteral("1.0");
}

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(tr("About Talvo Professional"));
    auto* layout = new QVBoxLayout(this);
    auto* text = new QLabel(QStringLiteral("Talvo Professional, version %1").arg(ProgramVersion()), this);
    text->setObjectName(QStringLiteral("VersionText"));
    layout->addWidget(text);
    layout->addWidget(new QLabel(tr("Warning: this program is protected by copyright law."), this));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);
    if (parent) {
        adjustSize();
        move(parent->geometry().center() - rect().center());
    }
}

} // namespace talvodesk
