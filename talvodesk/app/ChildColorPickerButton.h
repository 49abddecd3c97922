#pragma once

#include "platform/com/Types.h"

#include <QPushButton>

#include <functional>
#include <optional>

namespace talvodesk {

/// Asks the user for a colour, starting from `initial`, below the button; nothing when the user cancels. Tests
/// give their own, so no modal dialog opens.
using ColourChooser = std::function<std::optional<COLORREF>(QWidget* button, COLORREF initial)>;

/// The colour chooser of the platform, opened with its top-left corner at the button's bottom-left and kept
/// inside the screen's work area.
std::optional<COLORREF> ChooseColourBelow(QWidget* button, COLORREF initial);

/// The in-place colour button of the option tree: a swatch and a drop-down arrow. A click or the Down key opens
/// the chooser; Left and Right ask for the neighbouring editor. Owner thread only.
class CChildColorPickerButton : public QPushButton {
    Q_OBJECT
public:
    CChildColorPickerButton(COLORREF colour, ColourChooser chooser, QWidget* parent);

    COLORREF colour() const { return m_colour; }
    void setColour(COLORREF colour);
    void openChooser();

signals:
    void colourChosen(COLORREF colour);
    void neighbourWanted(int direction);

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    COLORREF m_colour;
    ColourChooser m_chooser;
};

} // namespace talvodesk
