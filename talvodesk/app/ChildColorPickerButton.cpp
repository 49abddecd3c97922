#include "talvodesk/app/ChildColorPickerButton.h"

#include "talvodesk/app/internal/DialogParts.h"

#include <QColorDialog>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>
#include <QStyle>
#include <QStyleOption>

namespace talvodesk {

std::optional<COLORREF> ChooseColourBelow(QWidget* button, COLORREF initial)
{
    QColorDialog dialog(toQColor(initial), button);
    dialog.adjustSize();
    QRect placed(button->mapToGlobal(QPoint(0, button->height())), dialog.size());
    if (const QScreen* screen = button->screen()) {
        const QRect area = screen->availableGeometry();
        placed.moveRight(std::min(placed.right(), area.right()));
        placed.moveBottom(std::min(placed.bottom(), area.bottom()));
        placed.moveLeft(std::max(placed.left(), area.left()));
        placed.moveTop(std::max(placed.top(), area.top()));
    }
    dialog.move(placed.topLeft());
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return toColorref(dialog.selectedColor());
}

CChildColorPickerButton::CChildColorPickerButton(COLORREF colour, ColourChooser chooser, QWidget* parent)
    : QPushButton(parent), m_colour(colour), m_chooser(std::move(chooser))
{
    connect(this, &QPushButton::clicked, this, &CChildColorPickerButton::openChooser);
}

void CChildColorPickerButton::setColour(COLORREF colour)
{
    m_colour = colour;
    update();
}

void CChildColorPickerButton::openChooser()
{
    setDown(true);
    const auto chosen = m_chooser(this, m_colour);
    setDown(false);
    if (chosen) {
        setColour(*chosen);
        emit colourChosen(*chosen);
    }
}

void CChildColorPickerButton::paintEvent(QPaintEvent* event)
{
    QPushButton::paintEvent(event);
    QPainter painter(this);
    QStyleOption arrow;
    arrow.initFrom(this);
    const int arrowWidth = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    arrow.rect = QRect(width() - arrowWidth - 2, 0, arrowWidth, height());
    style()->drawPrimitive(QStyle::PE_IndicatorArrowDown, &arrow, &painter, this);
    const QRect swatch = rect().adjusted(4, 4, -arrowWidth - 6, -4);
    painter.fillRect(swatch, isEnabled() ? toQColor(m_colour) : palette().color(QPalette::Button));
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawRect(swatch.adjusted(0, 0, -1, -1));
}

void CChildColorPickerButton::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Left:
        emit neighbourWanted(-1);
        return;
    case Qt::Key_Right:
        emit neighbourWanted(+1);
        return;
    case Qt::Key_Down:
        openChooser();
        return;
    default:
        QPushButton::keyPressEvent(event);
    }
}

} // namespace talvodesk
