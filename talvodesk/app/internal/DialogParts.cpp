#include "talvodesk/app/internal/DialogParts.h"

#include "talvodesk/app/ResText.h"
#include "talvodesk/core/options/Settings.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLayout>
#include <QPushButton>
#include <QWidget>

#include <algorithm>
#include <cstdint>

namespace talvodesk {

QDialogButtonBox* makeOkCancel(QDialog& dialog, const TextLookup& texts)
{
    auto* buttons = new QDialogButtonBox(&dialog);
    QPushButton* ok = buttons->addButton(platform::ui::qtext(texts(kOkText)), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("1"));
    ok->setDefault(true);
    buttons->addButton(platform::ui::qtext(texts(kCancelText)), QDialogButtonBox::RejectRole)
        ->setObjectName(QStringLiteral("2"));
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    return buttons;
}

void CentreOnOwner(QWidget& window)
{
    if (const QWidget* owner = window.parentWidget()) {
        window.move(owner->geometry().center() - QPoint(window.width() / 2, window.height() / 2));
    }
}

QSize DialogUnitsSize(const QWidget& window, int width, int height)
{
    const QFontMetrics metrics = window.fontMetrics();
    return {width * metrics.averageCharWidth() / 4, height * metrics.height() / 8};
}

QSize TemplateMinimumSize(const QWidget& dialog, int width, int height)
{
    const QSize units = DialogUnitsSize(dialog, width, height);
    return dialog.layout() != nullptr ? units.expandedTo(dialog.layout()->totalMinimumSize()) : units;
}

WaitCursor::WaitCursor()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

WaitCursor::~WaitCursor()
{
    QApplication::restoreOverrideCursor();
}

bool RestoreWindowRect(QWidget& window, const platform::registry::Key* root, std::u16string_view name)
{
    const auto rect = root != nullptr ? LoadWindowRect(*root, name) : std::nullopt;
    if (!rect) {
        return false;
    }
    // A hand-edited rectangle may span more than an int holds.
    const auto extent = [](std::int32_t from, std::int32_t to) {
        return static_cast<int>(std::min<std::int64_t>(std::int64_t{to} - from, QWIDGETSIZE_MAX));
    };
    window.setGeometry(rect->left, rect->top, extent(rect->left, rect->right), extent(rect->top, rect->bottom));
    return true;
}

void StoreWindowRect(const QWidget& window, const platform::registry::Key* root, std::u16string_view name)
{
    if (root == nullptr) {
        return;
    }
    const QRect normal = window.isMaximized() || window.isMinimized() ? window.normalGeometry() : window.geometry();
    (void)SaveWindowRect(*root, name,
                         {normal.left(), normal.top(), normal.left() + normal.width(), normal.top() + normal.height()});
}

} // namespace talvodesk
