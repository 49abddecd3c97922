#pragma once

#include "talvodesk/core/analysis/chart/ChartImpl.h"
#include "talvodesk/core/analysis/chart/GraphServices.h"

#include "platform/com/Types.h"

#include <functional>

struct IAiming;
struct IShot;

namespace talvodesk {

/// Labels the elapsed time from `start` to `end` (in days) along y = `level`: about five steps of whole minutes
/// (`unitsPerDay` 1440) or seconds (86400), none closer than a step to the end, then "00:00" at the start and the
/// whole span at the end.
void AddElapsedLabels(CChartImpl& chart, double start, double end, double unitsPerDay, double level);
/// How tall a biathlon bar stands: 95 in the centre of a plate, falling to 25 at its edge; 25 for a miss.
float StageBarHeight(float distance, float plateRadius, bool hit);

/// The time intervals view's chart: one bar per match shot at its moment, as tall as its result, with the pulse as
/// a step curve; for the biathlon event every stage (match aiming) laid over one time axis from its entry, the bars
/// telling how close each shot hit the centre of its plate. Owner thread only.
class TimeIntervalsGraph {
public:
    enum Part : unsigned {
        kChartPart = 1,
        kColourPart = 2,
    };
    /// The pulse curve's id; the bars count from 1.
    static constexpr std::int32_t kPulse = 0;

    explicit TimeIntervalsGraph(ChartServices services);

    /// Titles, the first and last shot's legends and the fonts in the user-interface language.
    void LoadTexts();
    void Recalculate();
    /// Recolours the bars for a new current shot without rebuilding the chart.
    void UpdateShotColors();
    /// A click on series `id`: a bar of the match chart makes its shot current (hint 4 to every view). The pulse
    /// curve and the biathlon chart do nothing.
    void OnChartClick(std::int32_t id);
    /// The colour of the current shot's bar (the system's selection colour).
    void setHighlightColor(COLORREF color) { m_highlight = color; }

    CChartImpl& chart() { return m_chart; }
    /// The match shots drawn; 0 with fewer than two and for the biathlon event.
    long count() const { return m_count; }

private:
    using StageShot = std::function<void(std::int32_t id, IShot* shot, bool currentAiming, DATE entry)>;

    void MatchChart();
    /// The grey pulse step curve over the match chart, on its own scale.
    void PulseCurve(DATE first, DATE last, float low);
    void StageChart();
    /// The biathlon chart's shots in the order their ids count, hidden ones only when the document includes them.
    void ForEachStageShot(const StageShot& visit);
    bool IsCurrent(IShot* shot) const;
    /// Highlighted when current, else red from 10.0 up and green below.
    COLORREF BarColor(IShot* shot, float result) const;
    /// The current stage's bars green with the current shot highlighted; other stages' grey.
    COLORREF StageColor(IShot* shot, bool currentAiming) const;
    std::u16string ShotLegend(std::uint32_t id, DATE time) const;

    ChartServices m_services;
    CChartImpl m_chart;
    long m_count = 0;
    DATE m_first = 0;
    DATE m_last = 0;
    COLORREF m_highlight = 0xD77800;
};

} // namespace talvodesk
