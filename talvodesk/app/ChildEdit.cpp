#include "talvodesk/app/ChildEdit.h"

#include <QLineEdit>

namespace talvodesk {

CChildEdit::CChildEdit(bool digitsOnly, QWidget* parent) : QAbstractSpinBox(parent), m_digitsOnly(digitsOnly)
{
    setKeyboardTracking(true);
    setCorrectionMode(QAbstractSpinBox::CorrectToPreviousValue);
    connect(lineEdit(), &QLineEdit::textEdited, this, &CChildEdit::textEdited);
}

void CChildEdit::setValueText(const QString& text)
{
    lineEdit()->setText(text);
}

bool CChildEdit::isCaretAtStart() const
{
    return lineEdit()->cursorPosition() == 0 && !lineEdit()->hasSelectedText();
}

bool CChildEdit::isCaretAtEnd() const
{
    return lineEdit()->cursorPosition() == lineEdit()->text().size() && !lineEdit()->hasSelectedText();
}

void CChildEdit::stepBy(int steps)
{
    emit stepRequested(steps);
}

QAbstractSpinBox::StepEnabled CChildEdit::stepEnabled() const
{
    return StepUpEnabled | StepDownEnabled;
}

QValidator::State CChildEdit::validate(QString& input, int& /*position*/) const
{
    if (m_digitsOnly) {
        for (const QChar c : input) {
            if (!c.isDigit()) {
                return QValidator::Invalid;
            }
        }
    }
    // Anything else is taken as typed: the tree parses it and keeps the value within its limits.
    return QValidator::Acceptable;
}

} // namespace talvodesk
