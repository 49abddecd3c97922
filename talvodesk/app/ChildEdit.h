#pragma once

#include <QAbstractSpinBox>

namespace talvodesk {

/// The in-place edit of a number in the option tree, with its up-down arrows. It keeps no value: typing and the
/// arrows are reported, and the tree writes back what it stored. Owner thread only (the user-interface thread).
class CChildEdit : public QAbstractSpinBox {
    Q_OBJECT
public:
    /// `digitsOnly` for an unsigned field.
    CChildEdit(bool digitsOnly, QWidget* parent);

    /// Shows a value without reporting it as typed.
    void setValueText(const QString& text);
    bool isCaretAtStart() const;
    bool isCaretAtEnd() const;

    void stepBy(int steps) override;

signals:
    void textEdited(const QString& text);
    void stepRequested(int delta);

protected:
    StepEnabled stepEnabled() const override;
    QValidator::State validate(QString& input, int& position) const override;

private:
    bool m_digitsOnly;
};

} // namespace talvodesk
