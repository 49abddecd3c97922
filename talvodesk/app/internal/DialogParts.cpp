#include "talvodesk/app/internal/DialogParts.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QPushButton>

namespace talvodesk {

QDialogButtonBox* makeOkCancel(QDialog& dialog)
{
    auto* buttons = new QDialogButtonBox(&dialog);
    QPushButton* ok = buttons->addButton(QDialog::tr("OK"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("1"));
    ok->setDefault(true);
    buttons->addButton(QDialog::tr("Cancel"), QDialogButtonBox::RejectRole)->setObjectName(QStringLiteral("2"));
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    return buttons;
}

} // namespace talvodesk
