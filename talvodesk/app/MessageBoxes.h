#pragma once

#include "platform/com/Types.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>

class QWidget;

namespace talvodesk {

class CTalvoAppModule;

// Message-box types and answers with their Windows numbers, as the program's rules name them.
inline constexpr UINT MB_OK = 0x0;
inline constexpr UINT MB_YESNOCANCEL = 0x3;
inline constexpr UINT MB_YESNO = 0x4;
inline constexpr UINT MB_ICONERROR = 0x10;
inline constexpr UINT MB_ICONQUESTION = 0x20;
inline constexpr UINT MB_TASKMODAL = 0x2000;
inline constexpr UINT MB_RTLREADING = 0x100000;
inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
inline constexpr int IDYES = 6;
inline constexpr int IDNO = 7;

/// One message box as it would be shown.
struct MessageBoxRequest {
    QString text;
    QString caption;
    UINT type = MB_OK;
    /// The buttons' texts, in the order OK, Cancel, Yes, No of those it has.
    QStringList buttons;
};

/// Replaces the shown box by a function that answers it (headless runs and tests); an empty function shows boxes
/// again. Main thread only.
void SetMessageBoxAnswerer(std::function<int(const MessageBoxRequest&)> answerer);

/// Shows a message box with the given MB_ type, its buttons named in the module's language, and returns the pressed
/// button's ID.
int ShowMessageBox(const CTalvoAppModule& module, QWidget* owner, const QString& text, const QString& caption,
                   UINT type);

/// A message box of two string-table texts in the current language, task-modal, and read right to left when the
/// language does.
int ResMessageBox(const CTalvoAppModule& module, std::uint32_t textId, UINT type, std::uint32_t captionId,
                  QWidget* owner);

/// An error box with the application title as its caption, read right to left when the language does.
void ShowError(const CTalvoAppModule& module, QWidget* owner, const QString& text, const QString& caption = {});

} // namespace talvodesk
