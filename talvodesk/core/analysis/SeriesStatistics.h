#pragma once

#include "talvodesk/core/analysis/SeriesCells.h"

#include <array>
#include <utility>
#include <vector>

struct IEventParams;
struct IRange;

namespace talvodesk {

/// What the shot values of a row are read with.
struct RowContext {
    IEventParams* event = nullptr;
    bool biathlon = false;
    long fCoefficient = 0;
    /// Seconds before the shot that the control range spans.
    float controlInterval = 1.0F;
    bool includeHidden = false;
    /// Which of the six steadiness columns are shown, in RowValues order: only those are computed.
    std::array<bool, 6> steadiness{};
};

/// Reads the values of rows' shots through their ranges, all with one context: what is the same for every shot of a
/// face, its rings' radii, is looked up once. A value that cannot be read stays 0. The caller keeps `context.event`
/// alive while the reader lives. Thread rule: one thread.
class RowReader {
public:
    explicit RowReader(const RowContext& context) : m_context(context) {}

    const RowContext& context() const { return m_context; }
    RowValues read(IAiming* aiming, IShot& shot);

private:
    /// The radii (millimetres, the calibre's half added) steadiness counts within on one face.
    struct Radii {
        float r6 = 0;
        float r9 = 0;
        float r10 = 0;
    };

    Radii radiiOf(LONG subTarget);
    void readSteadiness(const platform::com::ComPtr<IRange>& control, const Radii& radii, RowValues& values) const;

    RowContext m_context;
    std::vector<std::pair<LONG, Radii>> m_radii;
};

/// Fills the cells of a shot row with its number and values: "Missed" and dashes for a missed shot, grey text for a
/// sighting shot, red steadiness at exactly 100 %.
void FormatShotRow(CStatisticsRow& row, int number, bool sighting, const platform::gfx::Font* font, bool biathlon,
                   const std::u16string& missedText);

/// The sums of the counted rows of a serie or a group.
struct RowTotals {
    int count = 0;
    float result = 0;
    int score = 0;
    float speed = 0;
    float speed250 = 0;
    double time = 0;
    std::array<float, 6> steadiness{};
    float distance = 0;
    float breachX = 0;
    float breachY = 0;

    /// Adds a row that counts (not missed).
    void add(const RowValues& values);
    void add(const RowTotals& other);
    /// With more than one shot every sum but the result, the score and the count becomes an average; the time only
    /// when `divideTime`.
    RowTotals averaged(bool divideTime) const;
};

/// Fills a serie's or a group's total row from averaged totals.
void FormatTotalRow(CStatisticsRow& row, const RowTotals& totals, bool biathlon);

/// "%1%2, %3!d! shot(s)" with its three inserts.
std::u16string FormatGroupTitle(std::u16string_view format, std::u16string_view kind, std::u16string_view suffix,
                                int count);

} // namespace talvodesk
