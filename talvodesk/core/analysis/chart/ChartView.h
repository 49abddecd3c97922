#pragma once

#include "platform/com/ComPtr.h"

#include <cstdint>
#include <functional>
#include <string>

struct IEventParams;
struct IRangeCollection;
struct IShot;
struct IShotCollection;
struct ITargetParams;

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
/// The "%-1G" text of a value (C locale).
std::u16string FormatTick(float value);

/// The time window before the shot: T0 the control interval (at least 1 s), T the second control interval when
/// the "Control interval 2" option is on and it is at least T0, else T0.
struct ControlWindow {
    float t0 = 1;
    float t = 1;
};
ControlWindow ControlWindowOf(const CTalvoData& document, const COptions& options);

/// The shaded control interval from -t0 to the shot, over the whole height.
void AddControlBand(CChartImpl& chart, float t0);
/// Labels every tenth of t from 0.3 t after the shot back to t before it, 0 left out, standing at y = `level`.
void AddTimeTicks(CChartImpl& chart, float t, double level = 0);
/// The radius of the first score ring from 8 down to 1 that holds `value`; `value` itself when none does.
float SnapToRing(ITargetParams* target, float value);

/// Half the width of area `area` of target `target`: the radius the biathlon targets are marked with; 0 when unknown.
float AreaRadius(IEventParams* event, long target, long area);
/// The shot's sub-target; 0 when it cannot be read.
long SubTargetOf(IShot* shot);
bool IsMissed(IShot* shot);

/// Whether `ranges` can give its curves from index `first` on. The window of a hostile sample rate spans billions
/// of samples, more than a curve is built for: walking them only to fail each one would hang the view.
bool HasCurves(IRangeCollection& ranges, LONG first);

/// The match shots of the practice, or of the model: the legends of both count match shots. False when there are
/// none to read.
bool MatchShotsOf(CTalvoData& document, bool model, platform::com::ComPtr<IShotCollection>& shots);

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
