#include "talvodesk/app/FrameDialogs.h"

#include "talvodesk/app/AboutDialog.h"

#include <QFileDialog>

namespace talvodesk {

std::optional<std::filesystem::path> FrameDialogs::openPractice(QWidget* owner, const QString& caption)
{
    const QString path = QFileDialog::getOpenFileName(owner, caption, {}, QStringLiteral("Practices (*.talvo)"));
    return path.isEmpty() ? std::nullopt : std::optional(std::filesystem::path(path.toStdString()));
}

std::optional<std::filesystem::path> FrameDialogs::chooseFolder(QWidget* owner, const QString& title)
{
    const QString path = QFileDialog::getExistingDirectory(owner, title);
    return path.isEmpty() ? std::nullopt : std::optional(std::filesystem::path(path.toStdString()));
}

void FrameDialogs::about(QWidget* owner)
{
    AboutDialog dialog(owner);
    dialog.exec();
}

} // namespace talvodesk
