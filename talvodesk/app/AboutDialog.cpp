#include "talvodesk/app/AboutDialog.h"

#include "talvodesk/app/ResText.h"
#include "talvodesk/core/options/TextFormat.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace talvodesk {

namespace {

constexpr std::uint32_t kAboutTitle = 36010;
constexpr std::uint32_t kVersionText = 36011;
constexpr std::uint32_t kWarningText = 36012;

} // namespace

QString ProgramVersion()
{
    return QStringLiteral("1.0");
}

AboutDialog::AboutDialog(const CTalvoAppModule& module, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(ResText(module, kAboutTitle));
    auto* layout = new QVBoxLayout(this);
    auto* text = new QLabel(
        platform::ui::qtext(FormatResText(module, kVersionText, {platform::ui::text16(ProgramVersion())})), this);
    text->setObjectName(QStringLiteral("VersionText"));
    layout->addWidget(text);
    layout->addWidget(new QLabel(ResText(module, kWarningText), this));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    buttons->button(QDialogButtonBox::Ok)->setText(ResText(module, kOkText));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);
    if (parent) {
        adjustSize();
        move(parent->geometry().center() - rect().center());
    }
}

} // namespace talvodesk
