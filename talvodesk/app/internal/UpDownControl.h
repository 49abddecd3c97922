#pragma once

#include <QWidget>

namespace talvodesk {

/// A pair of arrow buttons holding a position within a range, beside the edit it serves. Owner thread only.
class UpDownControl : public QWidget {
    Q_OBJECT
public:
    UpDownControl(int minimum, int maximum, QWidget* parent);

    int position() const { return m_position; }
    /// Kept within the range; reports nothing.
    void setPosition(int position);
    /// One arrow click: +1 up, -1 down; reported when the position moves.
    void step(int delta);

signals:
    void positionChanged(int position);

private:
    int m_minimum;
    int m_maximum;
    int m_position;
};

} // namespace talvodesk
