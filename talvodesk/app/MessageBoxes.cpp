#include "talvodesk/app/MessageBoxes.h"

#include "talvodesk/core/options/AppModule.h"

#include <QMessageBox>

namespace talvodesk {

namespace {

std::function<int(const MessageBoxRequest&)>& answerer()
{
    static std::function<int(const MessageBoxRequest&)> s_answerer;
    return s_answerer;
}

QString text(const CTalvoAppModule& module, std::uint32_t id)
{
    const std::u16string_view value = module.LoadString(id);
    return QString::fromUtf16(value.data(), static_cast<qsizetype>(value.size()));
}

constexpr std::uint32_t kTitleId = 128;

} // namespace

void SetMessageBoxAnswerer(std::function<int(const MessageBoxRequest&)> function)
{
    answerer() = std::move(function);
}

int ShowMessageBox(QWidget* owner, const QString& text, const QString& caption, UINT type)
{
    if (answerer()) {
        return answerer()(MessageBoxRequest{text, caption, type});
    }
    QMessageBox box(owner);
    box.setText(text);
    box.setWindowTitle(caption);
    box.setIcon((type & 0xF0) == MB_ICONERROR      ? QMessageBox::Critical
                : (type & 0xF0) == MB_ICONQUESTION ? QMessageBox::Question
                                                   : QMessageBox::NoIcon);
    if ((type & MB_RTLREADING) != 0) {
        box.setLayoutDirection(Qt::RightToLeft);
    }
    switch (type & 0xF) {
    case MB_YESNO:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        break;
    case MB_YESNOCANCEL:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        break;
    default:
        box.setStandardButtons(QMessageBox::Ok);
        break;
    }
    switch (box.exec()) {
    case QMessageBox::Yes:
        return IDYES;
    case QMessageBox::No:
        return IDNO;
    case QMessageBox::Cancel:
        return IDCANCEL;
    default:
        return IDOK;
    }
}

int ResMessageBox(const CTalvoAppModule& module, std::uint32_t textId, UINT type, std::uint32_t captionId,
                  QWidget* owner)
{
    const UINT reading = module.m_bRTL ? MB_RTLREADING : 0;
    return ShowMessageBox(owner, text(module, textId), text(module, captionId), type | MB_TASKMODAL | reading);
}

void ShowError(const CTalvoAppModule& module, QWidget* owner, const QString& message, const QString& caption)
{
    const UINT reading = module.m_bRTL ? MB_RTLREADING : 0;
    (void)ShowMessageBox(owner, message, caption.isEmpty() ? text(module, kTitleId) : caption,
                         MB_OK | MB_ICONERROR | MB_TASKMODAL | reading);
}

} // namespace talvodesk
