#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace talvodesk {

class CChartImpl;
class COptions;
class CTalvoAppModule;
class CTalvoData;
class DocumentServices;

/// What a graph reads and drives besides its charts.
struct ChartServices {
    CTalvoData& document;
    /// The "Control interval 2" check box writes ShowControlInterval2 here.
    COptions& options;
    /// Texts of the user-interface language; English without one.
    const CTalvoAppModule* module = nullptr;
    /// The status-bar progress bar and the wait cursor; none without a frame.
    DocumentServices* frame = nullptr;
};

std::u16string ChartText(const ChartServices& services, std::uint32_t id);
/// A legend text with one "%i" for a count of shots.
std::u16string ChartCountText(const ChartServices& services, std::uint32_t id, long count);
/// (Re)creates a chart's fonts for the user-interface language.
void CreateChartFonts(CChartImpl& chart, const ChartServices& services);

/// The "Control interval 2" box was toggled: stores the option and has every view recompute (hint 9, no sender).
void ToggleControlInterval2(ChartServices& services, bool checked);

/// A graph's update while its window is hidden: the requested parts are remembered and computed once when the
/// view is shown (or printed). Owner thread only.
class PendingUpdate {
public:
    using Recalculate = std::function<void(unsigned parts)>;

    /// Computes `parts` now when visible, else adds them to what is pending.
    void Request(unsigned parts, bool visible, const Recalculate& recalculate);
    /// Computes what is pending, once; false when nothing was.
    bool Apply(const Recalculate& recalculate);
    unsigned pending() const { return m_pending; }

private:
    unsigned m_pending = 0;
};

/// The wait cursor and the status-bar progress bar for one computation.
class ChartProgress {
public:
    ChartProgress(DocumentServices* frame, std::uint32_t textId, long total);
    ~ChartProgress();
    ChartProgress(const ChartProgress&) = delete;
    ChartProgress& operator=(const ChartProgress&) = delete;

    void Step();
    /// Starts the bar again over `total` steps.
    void Restart(long total);

private:
    DocumentServices* m_frame;
    long m_done = 0;
    long m_total;
};

} // namespace talvodesk
