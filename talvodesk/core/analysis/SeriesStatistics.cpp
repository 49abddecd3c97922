#include "talvodesk/core/analysis/SeriesStatistics.h"

#include "talvodesk/core/analysis/Drawing.h"
#include "talvodesk/core/document/ShotFacts.h"

#include "interfaces/talvodata/IAimingAttr.h"
#include "interfaces/talvodata/IEventParams.h"
#include "interfaces/talvodata/IRange.h"
#include "interfaces/talvodata/ITargetParams.h"
#include "platform/com/Bstr.h"
#include "platform/com/Variant.h"
#include "platform/text/Ascii.h"
#include "platform/text/Number.h"
#include "talvodata/RangeSteadiness.h"

#include <cmath>
#include <span>

namespace talvodesk {

using platform::com::ComPtr;

namespace {

constexpr double kTenthsPerDay = 864000.0;
constexpr float kFullSteadiness = 100.0F;

std::u16string integerText(long value)
{
    return platform::text::widenAscii(platform::text::formatInteger(value));
}

float ringDiameter(ITargetParams* target, LONG score)
{
    float diameter = 0;
    if (target) {
        (void)target->get_Ring(score, &diameter); // A ring the face lacks counts as none.
    }
    return diameter;
}

/// The diameter steadiness uses when the face has no 10 ring.
float steadinessDiameter(IEventParams& event)
{
    platform::com::Variant stored;
    if (SUCCEEDED(event.get_Value(platform::com::Bstr("_steadiness_diam").get(), stored.put())) &&
        SUCCEEDED(stored.changeType(VT_R4))) {
        return stored.get().fltVal;
    }
    return 0;
}

/// The time of the shot since its aiming began; for the biathlon event since the aiming's shown shot before it.
double aimingTime(IAiming* aiming, IShot& shot, IAimingAttr* attributes, const RowContext& context)
{
    DATE start = 0;
    DATE shotTime = 0;
    if (attributes) {
        (void)attributes->get_EnterTime(&start);
    }
    (void)shot.get_ShotTime(&shotTime);
    LONG count = 0;
    if (context.biathlon && aiming && SUCCEEDED(aiming->get_ShotCount(&count))) {
        for (LONG i = 1; i <= count; ++i) {
            ComPtr<IShot> before;
            if (FAILED(aiming->get_Shot(i, before.put())) || !before || before.get() == &shot) {
                break;
            }
            VARIANT_BOOL hidden = VARIANT_FALSE;
            (void)before->get_Hidden(&hidden);
            if (context.includeHidden || hidden != VARIANT_TRUE) {
                (void)before->get_ShotTime(&start);
            }
        }
    }
    return std::lround(static_cast<float>((shotTime - start) * kTenthsPerDay)) / kTenthsPerDay;
}

void setPercent(CTextCell& cell, float percent)
{
    cell.text = platform::text::widenAscii(platform::text::formatInteger(static_cast<int>(percent)));
    cell.text += u'%';
    cell.red = percent == kFullSteadiness;
}

/// Cells 2 to 11 of a shot or total row.
void formatValues(CStatisticsRow& row, double time, const std::array<float, 6>& steadinessValues, float speed,
                  float speed250, float distance)
{
    row.cells[ColumnTime].SetDuration(time);
    for (std::size_t i = 0; i < steadinessValues.size(); ++i) {
        setPercent(row.cells[ColumnSteadiness6 + i], steadinessValues[i]);
    }
    row.cells[ColumnSpeed].SetTenths(speed);
    row.cells[ColumnSpeed250].SetTenths(speed250);
    row.cells[ColumnBreachFromAap].SetTenths(distance);
}

} // namespace

RowReader::Radii RowReader::radiiOf(LONG subTarget)
{
    for (const auto& [face, radii] : m_radii) {
        if (face == subTarget) {
            return radii;
        }
    }
    IEventParams* event = m_context.event;
    ComPtr<ITargetParams> target;
    float calibre = 0;
    if (event) {
        (void)event->get_Target(subTarget, target.put());
        (void)event->get_Caliber(&calibre);
    }
    float d10 = ringDiameter(target.get(), 10);
    if (d10 == 0 && event) {
        d10 = steadinessDiameter(*event);
    }
    const float d6 = ringDiameter(target.get(), 6);
    const float d9 = ringDiameter(target.get(), 9);
    Radii radii;
    radii.r10 = calibre * 0.5F + d10 * 0.5F;
    radii.r6 = d6 > 0 ? calibre * 0.5F + d6 * 0.5F : 0;
    radii.r9 = d9 > 0 ? calibre * 0.5F + d9 * 0.5F : 0;
    return m_radii.emplace_back(subTarget, radii).second;
}

void RowReader::readSteadiness(const ComPtr<IRange>& control, const Radii& radii, RowValues& values) const
{
    if (!control) {
        return; // A shot without a trace has no steadiness.
    }
    // The shown columns' circles, in RowValues order: 10 and 10.5 about the centre, the others about the mean point.
    const float r10p5 = radii.r10 * 0.5F;
    const std::array<float, 6> shownRadii{radii.r6, radii.r9, radii.r10, r10p5, radii.r10, r10p5};
    std::array<talvodata::SteadinessCircle, 6> circles;
    std::array<std::size_t, 6> columns{};
    std::size_t count = 0;
    for (std::size_t i = 0; i < shownRadii.size(); ++i) {
        if (m_context.steadiness[i]) {
            const bool aroundAap = i != 2 && i != 3;
            circles[count] = {shownRadii[i], aroundAap ? values.aapX : 0, aroundAap ? values.aapY : 0};
            columns[count++] = i;
        }
    }
    std::array<float, 6> percents{};
    const long f = m_context.fCoefficient;
    if (const auto several = control.queryInterface<talvodata::IRangeSteadiness>()) {
        // One pass over the control range for all of them. A range that cannot be read has no steadiness.
        (void)several->steadiness(f, std::span(circles.data(), count), std::span(percents.data(), count));
    } else {
        for (std::size_t i = 0; i < count; ++i) {
            const talvodata::SteadinessCircle& circle = circles[i];
            // An empty range has no steadiness.
            (void)control->Steadiness(circle.radius, f, circle.centreX, circle.centreY, &percents[i]);
        }
    }
    for (std::size_t i = 0; i < count; ++i) {
        values.steadiness[columns[i]] = percents[i];
    }
}

RowValues RowReader::read(IAiming* aiming, IShot& shot)
{
    RowValues values;
    ComPtr<IAimingAttr> attributes = attributesOf(aiming);
    if (!attributes) {
        attributes = attributesOf(&shot); // An aiming without attributes falls back to the shot's.
    }
    const LONG subTarget = subTargetOf(attributes.get()).value_or(1);
    VARIANT_BOOL match = VARIANT_TRUE;
    if (attributes) {
        (void)attributes->get_Match(&match); // Unreadable: a match shot.
    }
    values.match = match == VARIANT_TRUE;
    if (isMissed(&shot)) {
        values.missed = VARIANT_TRUE;
        return values;
    }
    const Radii radii = radiiOf(subTarget);

    const float interval = m_context.controlInterval;
    ComPtr<IRange> control;
    ComPtr<IRange> last250;
    (void)shot.Range(-interval, 0, control.put()); // A shot without a trace has empty ranges: its values stay 0.
    (void)shot.Range(-0.25F, 0, last250.put());

    (void)shot.Breach(&values.breachX, &values.breachY);
    (void)shot.get_Result(&values.result);
    (void)shot.get_AreaIndex(&values.areaIndex);
    float length = 0;
    float length250 = 0;
    if (control) {
        (void)control->get_AveragePointX(&values.aapX);
        (void)control->get_AveragePointY(&values.aapY);
        (void)control->get_Length(&length);
        if (m_context.biathlon) {
            float cx = 0;
            float cy = 0;
            (void)control->GetNearestArea(values.breachX, values.breachY, &values.nearestArea, &cx, &cy);
        }
    }
    if (last250) {
        (void)last250->get_Length(&length250);
    }
    const float dx = values.breachX - values.aapX;
    const float dy = values.breachY - values.aapY;
    values.distance = std::sqrt(dx * dx + dy * dy);
    values.speed = interval > 0 ? length / interval : 0;
    values.speed250 = length250 * 4;
    values.time = aimingTime(aiming, shot, attributes.get(), m_context);
    readSteadiness(control, radii, values);
    return values;
}

void FormatShotRow(CStatisticsRow& row, int number, bool sighting, const platform::gfx::Font* font, bool biathlon,
                   const std::u16string& missedText)
{
    for (CTextCell& cell : row.cells) {
        cell.font = font;
        cell.grey = sighting;
        cell.red = false;
        cell.icon.reset();
        cell.marginX = 3;
        cell.marginY = 1;
    }
    row.cells[ColumnIndex].text = integerText(number);
    const RowValues& values = row.values;
    if (values.missed == VARIANT_TRUE) {
        row.cells[ColumnResult].text = missedText;
        for (int column = ColumnTime; column < kShotListColumns; ++column) {
            row.cells[static_cast<std::size_t>(column)].text.assign(1, u'-');
        }
        return;
    }
    CTextCell& result = row.cells[ColumnResult];
    if (biathlon) {
        result.text.clear();
        result.icon = std::make_shared<const platform::gfx::Picture>(
            CreateFiveTargetsPicture(values.areaIndex, values.nearestArea));
        result.marginX = 1;
        result.marginY = 1;
    } else {
        result.SetTenths(values.result);
    }
    formatValues(row, values.time, values.steadiness, values.speed, values.speed250, values.distance);
}

void RowTotals::add(const RowValues& values)
{
    ++count;
    result += values.result;
    score += static_cast<int>(values.result);
    speed += values.speed;
    speed250 += values.speed250;
    time += values.time;
    for (std::size_t i = 0; i < steadiness.size(); ++i) {
        steadiness[i] += values.steadiness[i];
    }
    distance += values.distance;
    breachX += values.breachX;
    breachY += values.breachY;
}

void RowTotals::add(const RowTotals& other)
{
    count += other.count;
    result += other.result;
    score += other.score;
    speed += other.speed;
    speed250 += other.speed250;
    time += other.time;
    for (std::size_t i = 0; i < steadiness.size(); ++i) {
        steadiness[i] += other.steadiness[i];
    }
    distance += other.distance;
    breachX += other.breachX;
    breachY += other.breachY;
}

RowTotals RowTotals::averaged(bool divideTime) const
{
    RowTotals average = *this;
    if (count <= 1) {
        return average;
    }
    const auto n = static_cast<float>(count);
    average.speed /= n;
    average.speed250 /= n;
    if (divideTime) {
        average.time /= count;
    }
    for (float& value : average.steadiness) {
        value /= n;
    }
    average.distance /= n;
    average.breachX /= n;
    average.breachY /= n;
    return average;
}

void FormatTotalRow(CStatisticsRow& row, const RowTotals& totals, bool biathlon)
{
    for (CTextCell& cell : row.cells) {
        cell.font = nullptr;
        cell.text.clear();
        cell.red = false;
    }
    if (biathlon) {
        row.cells[ColumnResult].text = integerText(totals.score);
    } else {
        row.cells[ColumnIndex].text = integerText(totals.score);
        row.cells[ColumnResult].SetTenths(totals.result);
    }
    formatValues(row, totals.time, totals.steadiness, totals.speed, totals.speed250, totals.distance);
}

std::u16string FormatGroupTitle(std::u16string_view format, std::u16string_view kind, std::u16string_view suffix,
                                int count)
{
    std::u16string title;
    for (std::size_t i = 0; i < format.size(); ++i) {
        const std::u16string_view rest = format.substr(i);
        if (rest.starts_with(u"%1")) {
            title += kind;
            ++i;
        } else if (rest.starts_with(u"%2")) {
            title += suffix;
            ++i;
        } else if (rest.starts_with(u"%3!d!")) {
            title += integerText(count);
            i += 4;
        } else if (rest.starts_with(u"%3")) {
            title += integerText(count);
            ++i;
        } else {
            title += format[i];
        }
    }
    return title;
}

} // namespace talvodesk
