#pragma once

#include "talvodesk/core/analysis/chart/ChartImpl.h"

#include <algorithm>
#include <cstdint>

namespace talvodesk::testsupport {

/// Series `id` of a chart, as the tests and benchmarks look their graphs' series up; null when there is none.
inline const ChartSeriesInfo* FindSeries(const CChartImpl& chart, std::int32_t id)
{
    const auto& series = chart.series();
    const auto found = std::find_if(series.begin(), series.end(), [id](const auto& s) { return s.id == id; });
    return found == series.end() ? nullptr : &*found;
}

} // namespace talvodesk::testsupport
