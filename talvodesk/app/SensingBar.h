#pragma once

#include <QWidget>

namespace talvodesk {

/// The calibration dialog's sensing bar: the sensor's signal as a bar of 0..512, red below the low mark, green
/// between the marks and red above the high one. Main thread only.
class SensingBar final : public QWidget {
    Q_OBJECT
public:
    explicit SensingBar(QWidget* parent = nullptr) : QWidget(parent) {}

    void setPosition(int position);
    int position() const { return m_position; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int m_position = 0;
};

} // namespace talvodesk
