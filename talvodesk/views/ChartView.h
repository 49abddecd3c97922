#pragma once

#include "talvodesk/core/analysis/chart/GraphServices.h"
#include "talvodesk/core/document/View.h"

#include <QWidget>

class QCheckBox;
class QSplitter;

namespace talvodesk {

class CChartWindow;

/// What the graph views share: one chart filling the view or two in a splitter (the bar at 3/5 of the height),
/// the "Control interval 2" and "Fraction mode" check boxes, and updates deferred while the view is hidden and
/// computed once when it is shown (or printed). The document delivers hints to OnUpdate. Main thread only.
class CChartView : public QWidget, public CView {
public:
    static constexpr int kControlIntervalId = 1105;
    static constexpr int kFractionModeId = 1102;
    static constexpr unsigned kAllParts = ~0U;

    /// The parts of a view that each document hint recomputes; 0 leaves the view as it is.
    struct HintParts {
        unsigned reset = kAllParts; ///< a new document or new shot parameters
        unsigned model = 0;
        unsigned currentShot = 0;
        unsigned concludedAiming = 0; ///< an aiming concluded with shots
        bool matchAimingsOnly = false;
    };

    CChartView(ChartServices services, HintParts hints, QWidget* parent);
    /// Leaves the document's views.
    ~CChartView() override;

    /// Recomputes, now or when shown, the parts the hint concerns; a new language reloads the texts.
    void OnUpdate(CView* sender, DocumentHint hint, const HintPayload& payload) override;

    /// Computes what arrived while the view was hidden, once; false when nothing was pending.
    bool ApplyPendingUpdate();
    unsigned pendingParts() const { return m_pending.pending(); }
    QSplitter* splitter() const { return m_splitter; }
    QCheckBox* controlIntervalBox() const { return m_controlInterval; }
    QCheckBox* fractionModeBox() const { return m_fractionMode; }
    bool fractionMode() const;

protected:
    /// Computes now when the view is visible, else remembers the parts.
    void RecalculateOrDefer(unsigned parts = kAllParts);
    virtual void Recalculate(unsigned parts) = 0;
    /// The graph's texts in the user-interface language.
    virtual void LoadTexts() = 0;

    /// The view's charts: one filling it, or top and bottom (a chart or a pane) in the splitter.
    void setCharts(CChartWindow* top, QWidget* bottom = nullptr);
    /// Places the splitter's bar for the view's height: at 3/5 unless a view lays its panes out otherwise.
    virtual void placeSplitterBar(int height);
    /// The box follows the option; a click stores it and every view recomputes.
    void addControlIntervalBox(CChartWindow& chart);
    /// A click recomputes `parts` of this view.
    void addFractionModeBox(CChartWindow& chart, unsigned parts = kAllParts);
    /// Sets the control interval box from the option; each computation starts with it.
    void syncControlIntervalBox();
    /// The check boxes' texts in the user-interface language.
    void LoadBoxTexts();
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

    ChartServices m_services;

private:
    HintParts m_hints;
    PendingUpdate m_pending;
    QWidget* m_top = nullptr;
    QWidget* m_bottom = nullptr; ///< none: the top chart fills the view
    QSplitter* m_splitter = nullptr;
    QCheckBox* m_controlInterval = nullptr;
    QCheckBox* m_fractionMode = nullptr;
    /// The charts holding the boxes, which place them again when their texts change.
    CChartWindow* m_controlIntervalChart = nullptr;
    CChartWindow* m_fractionModeChart = nullptr;
};

} // namespace talvodesk
