#include "talvodesk/app/internal/UpDownControl.h"

#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace talvodesk {

UpDownControl::UpDownControl(int minimum, int maximum, QWidget* parent)
    : QWidget(parent), m_minimum(minimum), m_maximum(maximum), m_position(minimum)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (const auto& [arrow, delta] : {std::pair{Qt::UpArrow, +1}, std::pair{Qt::DownArrow, -1}}) {
        auto* button = new QToolButton(this);
        button->setArrowType(arrow);
        button->setAutoRepeat(true);
        button->setFocusPolicy(Qt::NoFocus);
        button->setFixedHeight(11);
        connect(button, &QToolButton::clicked, this, [this, delta = delta] { step(delta); });
        layout->addWidget(button);
    }
}

void UpDownControl::setPosition(int position)
{
    m_position = std::clamp(position, m_minimum, m_maximum);
}

void UpDownControl::step(int delta)
{
    const int moved = std::clamp(m_position + delta, m_minimum, m_maximum);
    if (moved != m_position) {
        m_position = moved;
        emit positionChanged(m_position);
    }
}

} // namespace talvodesk
