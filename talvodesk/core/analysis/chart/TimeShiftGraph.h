#pragma once

#include "talvodesk/core/analysis/chart/ChartImpl.h"
#include "talvodesk/core/analysis/chart/GraphServices.h"

#include <cfloat>
#include <vector>

namespace talvodesk {

/// What one part of the time shift chart leaves for the result axis.
struct ShiftTotals {
    /// Match shots, missed ones included.
    long count = 0;
    /// The highest total at or before the shot, rounded up (one more for a flat curve).
    float top = 0;
    /// The lowest total at or before the shot; FLT_MAX when there is none.
    float lowest = FLT_MAX;
};

/// The result axis of the time shift chart: top raised to a multiple of 5, bottom from the lowest total (at most
/// 11 a shot) lowered to a multiple of 5, never below 0 nor above the top.
struct ShiftScale {
    float top = 0;
    float bottom = 0;
};
ShiftScale TimeShiftScale(const ShiftTotals& document, const ShiftTotals& model);
/// The labelled values of the result axis: bottom plus whole steps of a tenth of the range (at least 1), leaving
/// out a value closer than one step below the top, and always the top itself.
std::vector<float> ResultTicks(const ShiftScale& scale);

/// The time shift view's chart: for every sample from the window before the shot to 0.3 s after it, the total the
/// match shots would have scored had each been released at that sample, for the practice and for the model.
/// Owner thread only.
class TimeShiftGraph {
public:
    enum Part : unsigned {
        kDocumentPart = 1,
        kModelPart = 2,
        kAllParts = 3,
    };
    enum SeriesId : std::int32_t {
        kDocument = 1,
        kModel = 2,
    };

    explicit TimeShiftGraph(ChartServices services);

    /// Titles, legends and fonts in the user-interface language; the model's legend is empty without its shots.
    void LoadTexts();
    /// Recomputes the parts given (a part left out keeps its curve and its share of the axis). With `fractionMode`
    /// clear each score counts its whole points. False without a valid document (curves, labels, bands emptied).
    bool Recalculate(unsigned parts, bool fractionMode);

    CChartImpl& chart() { return m_chart; }
    const ShiftTotals& totals(int part) const { return m_totals[part]; }

private:
    void RecalculatePart(int part, float window, bool fractionMode, ChartProgress& progress);
    std::u16string Legend(int part) const;

    ChartServices m_services;
    CChartImpl m_chart;
    ShiftTotals m_totals[2];
};

} // namespace talvodesk
