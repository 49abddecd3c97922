#include "talvodesk/core/options/Options.h"

#include "talvodesk/core/options/internal/LittleEndian.h"

#include "platform/registry/Key.h"
#include "platform/text/CaseFolding.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <optional>
#include <string>

namespace talvodesk {

using platform::registry::Key;
using platform::registry::NamedValue;
using platform::registry::Value;

namespace {

constexpr std::u16string_view kOptionsKey = u"Options";
constexpr std::u16string_view kPiezoRejectInterval = u"PiezoRejectInterval";
constexpr std::u16string_view kPiezoRejectIntervalMs = u"PiezoRejectIntervalMs";
constexpr std::u16string_view kTraceColors = u"TraceColors";
constexpr std::size_t kTraceColorsHeader = 32;
constexpr std::size_t kTraceIntervalSize = 12;
/// Written in the first field of "TraceColors"; readers ignore it.
constexpr std::uint32_t kTraceColorsMark = 44;

/// Hands every REG_DWORD option, in the order they are saved, to `visit(name, field)`, "PiezoRejectInterval"
/// excepted. The same list serves loading and saving, so the two can never disagree.
template <typename Options, typename Visit> void visitDwords(Options& options, Visit visit)
{
    visit(u"ReplayAllPause", options.replayAllPause);
    visit(u"ReplaySpeed", options.replaySpeed);
    visit(u"TargetResult", options.targetResult);
    visit(u"TargetLen", options.targetLen);
    visit(u"TargetSmoothZoom", options.targetSmoothZoom);
    visit(u"AdvancedMode", options.advancedMode);
    visit(u"ShowControlInterval2", options.showControlInterval2);
    visit(u"ForceReplay", options.forceReplay);
    visit(u"SoundEnabled", options.soundEnabled);
    visit(u"BlindGen", options.blindGen);
    for (std::size_t zone = 0; zone < options.blindGenFrequency.size(); ++zone) {
        const std::string digits = std::to_string(zone);
        visit(u"BlindGen" + std::u16string(digits.begin(), digits.end()), options.blindGenFrequency[zone]);
    }
    visit(u"EnableRS232", options.enableRS232);
    visit(u"FiringPoint", options.firingPoint);
    visit(u"AutoReplay", options.autoReplay);
    visit(u"AutoSwitchToTrace", options.autoSwitchToTrace);
    visit(u"EnableAutoSaveAfterShot", options.enableAutoSaveAfterShot);
    visit(u"DisplayTimeCounter", options.displayTimeCounter);
    visit(u"AutoReplaySec", options.autoReplaySec);
    visit(u"SaveSecBeforeShot", options.saveSecBeforeShot);
    visit(u"SaveSecAfterShot", options.saveSecAfterShot);
    visit(u"AutoSaveAfterShot", options.autoSaveAfterShot);
}

template <typename Options, typename Visit> void visitDwordsAfterPiezo(Options& options, Visit visit)
{
    visit(u"PrintAllShots", options.printAllShots);
    visit(u"PrintGenInfo", options.printGenInfo);
    visit(u"PrintSeries", options.printSeries);
    visit(u"PrintCoordination", options.printCoordination);
    visit(u"PrintShift", options.printShift);
    visit(u"PrintSpeed", options.printSpeed);
    visit(u"PrintIntervals", options.printIntervals);
    visit(u"PrintProbability", options.printProbability);
    visit(u"ShotListIndex", options.shotListIndex);
    visit(u"ShotListResult", options.shotListResult);
    visit(u"ShotListTraceSpeed", options.shotListTraceSpeed);
    visit(u"ShotListTraceSpeed250", options.shotListTraceSpeed250);
    visit(u"ShotListAimingTime", options.shotListAimingTime);
    visit(u"ShotListSteadiness6", options.shotListSteadiness6);
    visit(u"ShotListSteadiness9", options.shotListSteadiness9);
    visit(u"ShotListSteadiness10center", options.shotListSteadiness10center);
    visit(u"ShotListSteadiness10p5center", options.shotListSteadiness10p5center);
    visit(u"ShotListSteadiness10", options.shotListSteadiness10);
    visit(u"ShotListSteadiness10p5", options.shotListSteadiness10p5);
    visit(u"ShotListBreachFromAAP", options.shotListBreachFromAAP);
}

template <typename Options, typename Visit> void visitColors(Options& options, Visit visit)
{
    visit(u"BreachColor", options.breachColor);
    visit(u"SelectedBreachColor", options.selectedBreachColor);
}

/// A whole number of the float, truncated toward zero and kept within the DWORD range (NaN gives 0).
DWORD truncatedDword(double value)
{
    if (!(value > 0)) {
        return 0;
    }
    if (value >= 4294967295.0) {
        return 0xFFFFFFFF;
    }
    return static_cast<DWORD>(value);
}

Value dwordValue(DWORD number)
{
    Value value{REG_DWORD, {}};
    internal::appendU32(value.data, number);
    return value;
}

std::vector<std::uint8_t> traceColorsBytes(const COptions& options)
{
    std::vector<std::uint8_t> bytes;
    bytes.reserve(kTraceColorsHeader + kTraceIntervalSize * options.additionalIntervals.size());
    internal::appendU32(bytes, kTraceColorsMark);
    internal::appendU32(bytes, options.traceHeading);
    internal::appendF32(bytes, options.traceHeadingLength);
    internal::appendU32(bytes, options.traceColorBeforeShot);
    internal::appendU32(bytes, options.traceColorAfterShot);
    internal::appendU32(bytes, options.headingColor);
    internal::appendU32(bytes, options.controlIntervalColor);
    internal::appendU32(bytes, static_cast<std::uint32_t>(options.additionalIntervals.size()));
    for (const TraceInterval& interval : options.additionalIntervals) {
        internal::appendU32(bytes, interval.color);
        internal::appendF32(bytes, interval.begin);
        internal::appendF32(bytes, interval.end);
    }
    return bytes;
}

/// Takes the fields of a "TraceColors" value; a value too short for its fixed part is ignored, and intervals that
/// would lie beyond its size are not read whatever count it claims.
void readTraceColors(COptions& options, const std::vector<std::uint8_t>& bytes)
{
    if (bytes.size() < kTraceColorsHeader) {
        return;
    }
    const std::uint8_t* data = bytes.data();
    options.traceHeading = internal::readU32(data + 4);
    options.traceHeadingLength = internal::readF32(data + 8);
    options.traceColorBeforeShot = internal::readU32(data + 12);
    options.traceColorAfterShot = internal::readU32(data + 16);
    options.headingColor = internal::readU32(data + 20);
    options.controlIntervalColor = internal::readU32(data + 24);
    const std::size_t stored = (bytes.size() - kTraceColorsHeader) / kTraceIntervalSize;
    const std::size_t count = std::min<std::size_t>(internal::readU32(data + 28), stored);
    options.additionalIntervals.clear();
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t* entry = data + kTraceColorsHeader + kTraceIntervalSize * i;
        options.additionalIntervals.push_back(
            {internal::readU32(entry), internal::readF32(entry + 4), internal::readF32(entry + 8)});
    }
}

/// The stored values by their case folding, so names match without regard to case as the store compares them.
class StoredValues {
public:
    explicit StoredValues(std::vector<NamedValue> values)
    {
        for (NamedValue& value : values) {
            m_values.emplace(platform::text::foldCase(value.name), std::move(value.value));
        }
    }

    const Value* find(std::u16string_view name) const
    {
        const auto found = m_values.find(platform::text::foldCase(name));
        return found == m_values.end() ? nullptr : &found->second;
    }
    std::optional<DWORD> dword(std::u16string_view name) const
    {
        const Value* value = find(name);
        if (!value || value->type != REG_DWORD || value->data.size() != 4) {
            return std::nullopt;
        }
        return internal::readU32(value->data.data());
    }

private:
    std::map<std::u16string, Value, std::less<>> m_values;
};

} // namespace

platform::Status COptions::Load(const Key& root)
{
    auto key = root.openSubkey(kOptionsKey);
    if (!key) {
        return key.error();
    }
    auto values = key->values();
    if (!values) {
        return values.error();
    }
    const StoredValues stored(std::move(*values));
    const auto take = [&](std::u16string_view name, std::uint32_t& field) {
        if (const std::optional<DWORD> value = stored.dword(name)) {
            field = *value;
        }
    };
    visitDwords(*this, take);
    if (const std::optional<DWORD> milliseconds = stored.dword(kPiezoRejectIntervalMs)) {
        piezoRejectInterval = static_cast<float>(*milliseconds / 1000.0);
    } else if (const std::optional<DWORD> seconds = stored.dword(kPiezoRejectInterval)) {
        piezoRejectInterval = static_cast<float>(*seconds);
    }
    visitDwordsAfterPiezo(*this, take);
    if (const Value* traceColors = stored.find(kTraceColors); traceColors && traceColors->type == REG_BINARY) {
        readTraceColors(*this, traceColors->data);
    }
    visitColors(*this, take);
    return {};
}

platform::Status COptions::Save(const Key& root) const
{
    auto key = root.createSubkey(kOptionsKey);
    if (!key) {
        return key.error();
    }
    std::vector<NamedValue> values;
    const auto put = [&](std::u16string_view name, std::uint32_t field) {
        values.push_back({std::u16string(name), dwordValue(field)});
    };
    visitDwords(*this, put);
    put(kPiezoRejectInterval, truncatedDword(piezoRejectInterval));
    put(kPiezoRejectIntervalMs, truncatedDword(std::round(double{piezoRejectInterval} * 1000.0)));
    visitDwordsAfterPiezo(*this, put);
    values.push_back({std::u16string(kTraceColors), Value{REG_BINARY, traceColorsBytes(*this)}});
    visitColors(*this, put);
    return key->setValues(values);
}

std::uint32_t COptions::Assign(const COptions& edited)
{
    const auto differs = [&](auto... members) { return ((this->*members != edited.*members) || ...); };
    const auto flagIf = [](bool changed, std::uint32_t flag) { return changed ? flag : 0U; };
    using O = COptions;
    const std::uint32_t changes =
        flagIf(differs(&O::saveSecBeforeShot, &O::saveSecAfterShot), kOptionsChangedTraceTimes) |
        flagIf(differs(&O::printAllShots, &O::printGenInfo, &O::printSeries, &O::printCoordination, &O::printShift,
                       &O::printSpeed, &O::printIntervals, &O::printProbability),
               kOptionsChangedPrint) |
        flagIf(differs(&O::shotListIndex, &O::shotListResult, &O::shotListTraceSpeed, &O::shotListTraceSpeed250,
                       &O::shotListAimingTime, &O::shotListSteadiness6, &O::shotListSteadiness9,
                       &O::shotListSteadiness10center, &O::shotListSteadiness10p5center, &O::shotListSteadiness10,
                       &O::shotListSteadiness10p5, &O::shotListBreachFromAAP),
               kOptionsChangedShotList) |
        flagIf(differs(&O::replaySpeed), kOptionsChangedReplaySpeed) |
        flagIf(differs(&O::traceHeading, &O::traceHeadingLength, &O::traceColorBeforeShot, &O::traceColorAfterShot,
                       &O::headingColor, &O::controlIntervalColor, &O::breachColor, &O::selectedBreachColor,
                       &O::additionalIntervals),
               kOptionsChangedColors) |
        flagIf(differs(&O::targetResult, &O::targetLen, &O::displayTimeCounter), kOptionsChangedTraceDisplay) |
        flagIf(differs(&O::soundEnabled, &O::blindGen), kOptionsChangedSound) |
        flagIf(differs(&O::blindGenFrequency), kOptionsChangedBlindGenFrequencies) |
        flagIf(differs(&O::firingPoint), kOptionsChangedFiringPoint);
    *this = edited;
    return changes;
}

} // namespace talvodesk
