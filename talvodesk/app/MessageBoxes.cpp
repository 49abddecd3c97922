#include "talvodesk/app/MessageBoxes.h"

#include "talvodesk/app/ResText.h"

#include <QAbstractButton>
#include <QMessageBox>

namespace talvodesk {

namespace {

std::function<int(const MessageBoxRequest&)>& answerer()
{
    static std::function<int(const MessageBoxRequest&)> s_answerer;
    return s_answerer;
}

constexpr std::uint32_t kTitleId = 128;

struct ButtonText {
    QMessageBox::StandardButton button;
    std::uint32_t textId;
};

constexpr ButtonText kButtonTexts[] = {{QMessageBox::Ok, kOkText},
                                       {QMessageBox::Cancel, kCancelText},
                                       {QMessageBox::Yes, kYesText},
                                       {QMessageBox::No, kNoText}};

QMessageBox::StandardButtons buttonsOf(UINT type)
{
    switch (type & 0xF) {
    case MB_YESNO:
        return QMessageBox::Yes | QMessageBox::No;
    case MB_YESNOCANCEL:
        return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    default:
        return QMessageBox::Ok;
    }
}

} // namespace

void SetMessageBoxAnswerer(std::function<int(const MessageBoxRequest&)> function)
{
    answerer() = std::move(function);
}

int ShowMessageBox(const CTalvoAppModule& module, QWidget* owner, const QString& text, const QString& caption,
                   UINT type)
{
    const QMessageBox::StandardButtons buttons = buttonsOf(type);
    MessageBoxRequest request{text, caption, type, {}};
    for (const ButtonText& name : kButtonTexts) {
        if (buttons.testFlag(name.button)) {
            request.buttons.append(ResText(module, name.textId));
        }
    }
    if (answerer()) {
        return answerer()(request);
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
    box.setStandardButtons(buttons);
    qsizetype named = 0;
    for (const ButtonText& name : kButtonTexts) {
        if (QAbstractButton* button = box.button(name.button)) {
            button->setText(request.buttons[named++]);
        }
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
    return ShowMessageBox(module, owner, ResText(module, textId), ResText(module, captionId),
                          type | MB_TASKMODAL | reading);
}

void ShowError(const CTalvoAppModule& module, QWidget* owner, const QString& message, const QString& caption)
{
    const UINT reading = module.m_bRTL ? MB_RTLREADING : 0;
    (void)ShowMessageBox(module, owner, message, caption.isEmpty() ? ResText(module, kTitleId) : caption,
                         MB_OK | MB_ICONERROR | MB_TASKMODAL | reading);
}

} // namespace talvodesk
