#include "talvodesk/core/analysis/InfoPage.h"

#include "talvodesk/core/analysis/InfoSummary.h"
#include "talvodesk/core/analysis/PageElements.h"
#include "talvodesk/core/options/TextFormat.h"

#include <optional>

namespace talvodesk {

namespace {

using Text = std::optional<std::u16string>;

constexpr std::array<InfoPageText, 40> kTexts = {{
    {u"idStartPracticeText", 34300},
    {u"idOpenText", 34301},
    {u"idIntroText1", 34302},
    {u"idIntroText2", 34303},
    {u"idIntroText3", 34304},
    {u"idAdditionalInfoTitle", 34305},
    {u"idAdditionalInfoText", 34306},
    {u"idShooterNameTitle", 34310},
    {u"idCommentsTitle", 34311},
    {u"idShooterNameModelTitle", 34312},
    {u"idCommentsModelTitle", 34313},
    {u"idEventTitle", 34320},
    {u"idDateTimeTitle", 34321},
    {u"idShotCountTitle", 34322},
    {u"idResultTitle", 34323},
    {u"idResultIntTitle", 34324},
    {u"idResultFractionalTitle", 34325},
    {u"idResultAverageTitle", 34326},
    {u"idResultIntCoinsidedTitle", 34327},
    {u"idTotalShootingTimeTitle", 34328},
    {u"idAvgTimePerShotTitle", 34329},
    {u"idStabilityOfTimeIntervalTitle", 34330},
    {u"idDiametralDispersionTitle", 34331},
    {u"idStabilityOfAimingTitle", 34332},
    {u"idAccuracyOfShootingTitle", 34333},
    {u"idAvgSteadinessTitle", 34334},
    {u"idAvgLenTitle", 34335},
    {u"idAvgLenXTitle", 34336},
    {u"idAvgLenYTitle", 34337},
    {u"idEllipticalFactorTitle", 34338},
    {u"idEllipticalFactorGroupTitle", 34339},
    {u"idEllipticalFactorTraceTitle", 34340},
    {u"idControlIntervalTitle", 34341},
    {u"idTotalShootingTimeNote", 34350},
    {u"idStabilityOfTimeIntervalNote", 34351},
    {u"idDiametralDispersionNote", 34352},
    {u"idStabilityOfAimingNote", 34353},
    {u"idAccuracyOfShootingNote", 34354},
    {u"idAvgSteadinessNote", 34355},
    {u"idEllipticalFactorNote", 34356},
}};

/// Elements that start hidden: the panels and the rows only some practices show.
constexpr std::array<std::u16string_view, 8> kHiddenAtStart = {u"idIntro",
                                                               u"idAllInfo",
                                                               u"idTargetStandingRow1",
                                                               u"idTargetProneRow1",
                                                               u"idTargetStandingRow2",
                                                               u"idTargetProneRow2",
                                                               u"idModelInfoRow",
                                                               u"idStatRow"};

/// The other elements: rows, value cells, entry fields and the target rows.
constexpr std::array<std::u16string_view, 38> kElements = {
    u"idShooterNameRow",
    u"idShooterName",
    u"idComments",
    u"idTargetRow1",
    u"idTargetRow2",
    u"idShooterNameModel",
    u"idCommentsModel",
    u"idEvent",
    u"idDateTime",
    u"idShotCount",
    u"idResultInt",
    u"idResultFractional",
    u"idResultAverage",
    u"idResultIntCoinsided",
    u"idResultIntCoinsidedRow",
    u"idTotalShootingTime",
    u"idTotalShootingTimeRow",
    u"idAvgTimePerShot",
    u"idAvgTimePerShotRow",
    u"idStabilityOfTimeInterval",
    u"idStabilityOfTimeIntervalRow",
    u"idDiametralDispersion",
    u"idDiametralDispersionRow",
    u"idStabilityOfAiming",
    u"idStabilityOfAimingRow",
    u"idAccuracyOfShooting",
    u"idAccuracyOfShootingRow",
    u"idAvgSteadiness",
    u"idAvgSteadinessRow",
    u"idAvgLen",
    u"idAvgLenX",
    u"idAvgLenY",
    u"idAvgLenRow",
    u"idEllipticalFactorGroup",
    u"idEllipticalFactorTrace",
    u"idEllipticalFactorGroupRow",
    u"idControlInterval",
    u"idControlIntervalRow",
};

std::u16string date(DATE value, LCID locale)
{
    std::u16string text;
    FormatDate(text, value, locale);
    return text;
}

/// The practice's text followed by the model's in red and in brackets, when the model has one.
Text withModel(std::u16string own, const std::optional<std::u16string>& model)
{
    if (model) {
        own += u"<font color=red> (" + *model + u")</font>";
    }
    return own;
}

class PageWriter {
public:
    PageWriter(const InfoSummary& summary, const InfoPageFormats& formats)
        : m_summary(summary), m_formats(formats), m_doc(summary.sides[0]), m_model(summary.sides[1]),
          m_modelShown(m_model.shotCount > 0), m_modelTimes(m_modelShown && m_model.timesValid),
          m_anyHits(m_doc.hitCount > 0 || m_model.hitCount > 0), m_notBiathlon(!summary.biathlon)
    {
    }

    void write(PageElements& page) const
    {
        const std::u16string notAvailable = u"n/a";
        const auto model = [&](bool shown, auto make) -> std::optional<std::u16string> {
            return shown ? std::optional<std::u16string>(make(m_model)) : std::nullopt;
        };
        const auto counted = [&](const SideSummary& side, auto make) -> std::u16string {
            return side.shotCount > 0 ? make(side) : notAvailable;
        };
        const auto timed = [&](const SideSummary& side, auto make) -> std::u16string {
            return side.timesValid ? make(side) : notAvailable;
        };
        const auto both = [&](auto make) { return withModel(counted(m_doc, make), model(m_modelShown, make)); };
        const auto bothTimed = [&](auto make) { return withModel(timed(m_doc, make), model(m_modelTimes, make)); };
        const auto ifThen = [](bool condition, auto make) -> Text { return condition ? make() : Text(); };

        const auto mm = [&](float SideSummary::*field) {
            return [this, field](const SideSummary& side) { return FormatFloat(side.*field, m_formats.millimetres); };
        };
        const auto number = [](float SideSummary::*field, std::u16string_view format) {
            return [field, format](const SideSummary& side) { return FormatFloat(side.*field, format); };
        };
        const auto coincided = [](const SideSummary& side) {
            return FormatFloat(side.coincidedResult, u"%-4.1f") +
                   FormatFloat(side.coincidedResult - side.fractionalResult, u" (%+3.1f)");
        };
        const auto intervals = [](const SideSummary& side) {
            return FormatDuration(side.averageTime, false) + u" (" + FormatDuration(side.shortestInterval, false) +
                   u", " + FormatDuration(side.longestInterval, false) + u")";
        };
        const auto percent = [](std::int32_t SideSummary::*field) {
            return [field](const SideSummary& side) { return FormatInt(side.*field, u"%i%%"); };
        };
        const bool groups = m_notBiathlon && m_anyHits;

        page.SetRowValue(u"idDateTime",
                         bothTimed([&](const SideSummary& side) { return date(side.startDate, m_formats.locale); }));
        std::u16string shots;
        AppendFormattedInt(shots, m_doc.shotCount, true, u"%i");
        page.SetRowValue(u"idShotCount", withModel(shots, model(m_modelShown, [](const SideSummary& side) {
                                                       return FormatInt(side.shotCount, u"%i");
                                                   })));
        page.SetRowValue(u"idResultInt",
                         both([](const SideSummary& side) { return FormatInt(side.integerResult, u"%i"); }));
        page.SetRowValue(u"idResultFractional", ifThen(m_notBiathlon, [&] {
                             return both(number(&SideSummary::fractionalResult, u"%-4.1f"));
                         }));
        page.SetRowValue(u"idResultAverage",
                         ifThen(m_notBiathlon, [&] { return both(number(&SideSummary::averageResult, u"%-6.3f")); }));
        page.SetRowValue(u"idResultIntCoinsided",
                         ifThen(m_notBiathlon && m_anyHits && !m_formats.centreGroup, [&] { return both(coincided); }));
        page.SetRowValue(u"idTotalShootingTime",
                         bothTimed([](const SideSummary& side) { return FormatDuration(side.totalTime, false); }));
        page.SetRowValue(u"idAvgTimePerShot", withModel(timed(m_doc,
                                                              [&](const SideSummary& side) {
                                                                  return m_notBiathlon
                                                                             ? intervals(side)
                                                                             : FormatDuration(side.averageTime, false);
                                                              }),
                                                        model(m_modelTimes, intervals)));
        page.SetRowValue(u"idStabilityOfTimeInterval", bothTimed(percent(&SideSummary::intervalStability)));
        // The group rows show 0.0 mm, not "n/a", for a side without hits.
        const auto always = [&](auto make) { return withModel(make(m_doc), model(m_modelShown, make)); };
        page.SetRowValue(u"idDiametralDispersion", ifThen(groups, [&] { return always(mm(&SideSummary::groupSize)); }));
        page.SetRowValue(u"idStabilityOfAiming",
                         ifThen(groups, [&] { return always(mm(&SideSummary::aimingStability)); }));
        page.SetRowValue(u"idAccuracyOfShooting", ifThen(groups, [&] { return always(mm(&SideSummary::accuracy)); }));
        page.SetRowValue(u"idAvgSteadiness", ifThen(groups, [&] { return always(percent(&SideSummary::steadiness)); }));
        page.SetRowValue(u"idAvgLen", ifThen(m_anyHits, [&] { return both(mm(&SideSummary::traceLength)); }));
        page.SetRowValue(u"idAvgLenX", ifThen(m_anyHits, [&] { return both(mm(&SideSummary::traceLengthX)); }));
        page.SetRowValue(u"idAvgLenY", ifThen(m_anyHits, [&] { return both(mm(&SideSummary::traceLengthY)); }));
        page.SetRowValue(u"idEllipticalFactorGroup",
                         ifThen(groups, [&] { return both(number(&SideSummary::groupEllipse, u"%-4.2f")); }));
        page.SetRowValue(u"idEllipticalFactorTrace",
                         ifThen(groups, [&] { return both(number(&SideSummary::traceEllipse, u"%-4.2f")); }));
        page.SetRowValue(u"idControlInterval", FormatFloat(m_summary.controlInterval, m_formats.seconds));
        const std::u16string_view titles = m_notBiathlon ? u"inline" : u"none";
        page.SetElementDisplay(u"idResultFractionalTitle", titles);
        page.SetElementDisplay(u"idResultAverageTitle", titles);
    }

private:
    const InfoSummary& m_summary;
    const InfoPageFormats& m_formats;
    const SideSummary& m_doc;
    const SideSummary& m_model;
    bool m_modelShown;
    bool m_modelTimes;
    bool m_anyHits;
    bool m_notBiathlon;
};

} // namespace

const std::array<std::u16string_view, 20> kInfoTitleIds = {
    u"idShotCountTitle",
    u"idResultTitle",
    u"idResultIntTitle",
    u"idResultFractionalTitle",
    u"idResultAverageTitle",
    u"idResultIntCoinsidedTitle",
    u"idTotalShootingTimeTitle",
    u"idAvgTimePerShotTitle",
    u"idStabilityOfTimeIntervalTitle",
    u"idDiametralDispersionTitle",
    u"idStabilityOfAimingTitle",
    u"idAccuracyOfShootingTitle",
    u"idAvgSteadinessTitle",
    u"idAvgLenTitle",
    u"idAvgLenXTitle",
    u"idAvgLenYTitle",
    u"idEllipticalFactorTitle",
    u"idEllipticalFactorGroupTitle",
    u"idEllipticalFactorTraceTitle",
    u"idControlIntervalTitle",
};

const std::array<std::u16string_view, 6> kInfoTargetIds = {u"Target1", u"TargetStanding1", u"TargetProne1",
                                                           u"Target2", u"TargetStanding2", u"TargetProne2"};

std::span<const InfoPageText> InfoPageTexts()
{
    return kTexts;
}

void DeclareInfoPage(PageElements& page, const std::function<std::u16string_view(std::uint32_t)>& text)
{
    for (const std::u16string_view id : kHiddenAtStart) {
        page.add(std::u16string(id), u"none");
    }
    for (const std::u16string_view id : kElements) {
        page.add(std::u16string(id));
    }
    for (const std::u16string_view id : kInfoTargetIds) {
        page.add(std::u16string(id));
    }
    for (const InfoPageText& fixed : InfoPageTexts()) {
        page.add(std::u16string(fixed.id), u"inline");
    }
    SetInfoPageTexts(page, text);
}

void SetInfoPageTexts(PageElements& page, const std::function<std::u16string_view(std::uint32_t)>& text)
{
    for (const InfoPageText& fixed : InfoPageTexts()) {
        std::u16string html = EscapeHtml(text(fixed.stringId));
        if (fixed.id == u"idAdditionalInfoText") {
            // The web line is a link; the view runs the program's web page command for it.
            html = u"<a href=\"talvo:web-page\">" + html + u"</a>";
        }
        page.SetElementHtml(fixed.id, html);
    }
}

bool FillInfoPageTexts(PageElements& page, const InfoSummary& summary, const InfoPageFormats& formats)
{
    const SideSummary& doc = summary.sides[0];
    const SideSummary& model = summary.sides[1];
    const auto shown = [](bool show) { return show ? u"block" : u"none"; };
    page.SetElementDisplay(u"idTargetRow1", shown(!summary.biathlon));
    page.SetElementDisplay(u"idTargetRow2", shown(!summary.biathlon));
    page.SetElementDisplay(u"idTargetStandingRow1", shown(summary.biathlon && doc.standingCount > 0));
    page.SetElementDisplay(u"idTargetProneRow1", shown(summary.biathlon && doc.proneCount > 0));
    page.SetElementDisplay(u"idTargetStandingRow2", shown(summary.biathlon && model.standingCount > 0));
    page.SetElementDisplay(u"idTargetProneRow2", shown(summary.biathlon && model.proneCount > 0));
    if (doc.shotCount == 0 && model.shotCount == 0) {
        page.SetElementDisplay(u"idStatRow", u"none");
        page.SetElementDisplay(u"idModelInfoRow", u"none");
        return false;
    }
    if (model.shotCount > 0) {
        page.SetRowValue(u"idCommentsModel", EscapeHtml(formats.modelComments));
    }
    page.SetElementDisplay(u"idModelInfoRow", shown(model.shotCount > 0));
    std::u16string event = summary.eventDisplayName + u" (" + summary.eventShortName + u")";
    if (!summary.positionText[0].empty()) {
        event += u" " + summary.positionText[0];
    }
    page.SetRowValue(u"idEvent", EscapeHtml(event));
    page.SetRowValue(u"idShooterNameModel", EscapeHtml(summary.modelShooterName));
    PageWriter(summary, formats).write(page);
    page.SetElementDisplay(u"idStatRow", u"block");
    return true;
}

} // namespace talvodesk
