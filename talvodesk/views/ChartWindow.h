#pragma once

#include <QWidget>

#include <optional>

class QCheckBox;

namespace talvodesk {

class CChartImpl;

/// A chart on screen: paints its chart with 5-pixel margins and the legend, and keeps its check boxes at the top
/// right corner. With hit testing on, a click on a bar reports that bar's series. Main thread only.
class CChartWindow : public QWidget {
    Q_OBJECT
public:
    /// `chart` must outlive the window.
    explicit CChartWindow(CChartImpl& chart, QWidget* parent = nullptr);

    CChartImpl& chart() { return m_chart; }
    /// A check box inside the chart at the top right corner; later ones stand 10 pixels left of the earlier ones.
    QCheckBox* addCheckBox(const QString& text, int id);
    /// Clicks and the pointer over a bar go through the chart's hit test.
    void setHitTesting(bool on);
    /// The id of the series under a point of the window (the pulse curve's is 0); none when nothing is hit.
    std::optional<int> seriesAt(QPoint point);
    /// The chart drawn into an image of the window's size, as it paints.
    QImage render() const;
    /// Places the check boxes at their ideal sizes, the first 5 pixels from the top right corner.
    void placeCheckBoxes();

signals:
    void seriesClicked(int id);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    CChartImpl& m_chart;
    QList<QCheckBox*> m_boxes;
    bool m_hitTesting = false;
};

} // namespace talvodesk
