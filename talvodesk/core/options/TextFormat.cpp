#include "talvodesk/core/options/TextFormat.h"

#include "talvodesk/core/options/AppModule.h"
#include "talvodesk/core/options/OptionTemplate.h"

#include "interfaces/talvodata/IEventParams.h"
#include "platform/com/Bstr.h"
#include "platform/com/Variant.h"
#include "platform/text/Collation.h"
#include "platform/text/Locale.h"
#include "platform/text/Printf.h"
#include "platform/time/OleDate.h"

#include <cmath>
#include <optional>
#include <span>
#include <string>
#include <variant>

namespace talvodesk {

using platform::com::utf16ToUtf8;
using platform::com::utf8ToUtf16;

namespace {

constexpr std::u16string_view kNotAvailable = u"n/a";
constexpr std::uint32_t kCaliberFormat = 61224;
/// Beyond this many days a span is no duration the program can have; it is shown as 0.
constexpr double kLongestSpan = 1e9;

/// The calendar time of a date as pages show it; nothing for no date (exactly 0.0) and a date outside the calendar.
std::optional<platform::time::CalendarTime> shownDate(DATE date)
{
    auto calendar = platform::time::toCalendarTime(date);
    if (date == 0.0 || !calendar) {
        return std::nullopt;
    }
    return *calendar;
}

std::optional<std::u16string> filled(std::u16string_view text, std::span<const std::u16string_view> inserts)
{
    const auto segments = ParseOptionTemplate(text);
    if (!segments) {
        return std::nullopt;
    }
    std::u16string result;
    for (const TemplateSegment& segment : *segments) {
        if (const auto* literal = std::get_if<std::u16string>(&segment)) {
            result += *literal;
            continue;
        }
        const auto number = static_cast<std::size_t>(std::get<Placeholder>(segment).number);
        if (number > inserts.size()) {
            return std::nullopt;
        }
        result += inserts[number - 1];
    }
    return result;
}

} // namespace

void AppendDuration(std::u16string& text, double days, bool shortForm)
{
    const double span = std::isfinite(days) && std::fabs(days) < kLongestSpan ? days : 0.0;
    const long long signedSeconds = std::llround(span * 86400.0);
    // A span backwards is signed once, in front; its fields count as forwards.
    if (signedSeconds < 0) {
        text += u'-';
    }
    const long long seconds = signedSeconds < 0 ? -signedSeconds : signedSeconds;
    const long long hours = seconds / 3600;
    const long long minutes = seconds % 3600 / 60;
    const long long rest = seconds % 60;
    const std::string formatted = hours == 0 && shortForm
                                      ? platform::text::formatC("%02lld:%02lld", minutes, rest)
                                      : platform::text::formatC("%02lld:%02lld:%02lld", hours, minutes, rest);
    text += utf8ToUtf16(formatted);
}

void AppendFormattedInt(std::u16string& text, int value, bool notAvailable, std::u16string_view format)
{
    if (notAvailable && value < 1) {
        text += kNotAvailable;
        return;
    }
    if (const auto formatted = platform::text::formatIntegerWith(utf16ToUtf8(format), value)) {
        text += utf8ToUtf16(*formatted);
    }
}

void AppendFormattedFloat(std::u16string& text, float value, std::u16string_view format,
                          std::optional<std::u16string_view> wrapper)
{
    // No page or printout shows "inf" or "nan": a value that overflowed on its way here is not available.
    const auto formatted = std::isfinite(value) ? platform::text::formatRealWith(utf16ToUtf8(format), double{value})
                                                : std::optional<std::string>(utf16ToUtf8(kNotAvailable));
    if (!formatted) {
        return;
    }
    if (!wrapper) {
        text += utf8ToUtf16(*formatted);
        return;
    }
    // The wrapped text is cut at 255 characters, as the buffer it is formatted into holds.
    if (const auto wrapped = platform::text::formatTextWith(utf16ToUtf8(*wrapper), *formatted)) {
        text += utf8ToUtf16(*wrapped).substr(0, 255);
    }
}

std::u16string ShownText(std::u16string_view text, std::size_t length)
{
    if (text.size() <= length) {
        return std::u16string(text);
    }
    std::size_t kept = length > 0 ? length - 1 : 0;
    if (kept > 0 && text[kept - 1] >= 0xD800 && text[kept - 1] <= 0xDBFF) {
        --kept; // a high surrogate whose partner is cut off
    }
    return std::u16string(text.substr(0, kept)) + u"\u2026";
}

void FormatDate(std::u16string& text, DATE date, LCID userInterfaceLocale)
{
    const auto calendar = shownDate(date);
    if (!calendar) {
        text += kNotAvailable;
        return;
    }
    const bool withTime = calendar->hour != 0 || calendar->minute != 0 || calendar->second != 0;
    const bool withDate = std::trunc(date) != 0.0 || !withTime;
    text += platform::text::formatDateTime(userInterfaceLocale, calendar->year, calendar->month, calendar->day,
                                           calendar->hour, calendar->minute, calendar->second, withDate, withTime);
}

bool GetEventDisplayName(IEventParams& event, const CTalvoAppModule& module, std::u16string& text)
{
    const std::string key = "_name_" + std::to_string(module.languageId());
    platform::com::Variant named;
    platform::com::Bstr keyText(key);
    std::u16string name;
    if (SUCCEEDED(event.get_Value(keyText.get(), named.put())) && named.get().vt == VT_BSTR) {
        name = platform::com::viewOf(named.get().bstrVal);
    }
    const auto fallBack = [&](HRESULT (IEventParams::*getter)(BSTR*)) {
        if (name.empty()) {
            platform::com::Bstr value;
            if (SUCCEEDED((event.*getter)(value.put()))) {
                name = value.view();
            }
        }
    };
    fallBack(&IEventParams::get_Name);
    fallBack(&IEventParams::get_ShortName);
    float caliber = 0;
    (void)event.get_Caliber(&caliber); // A calibre that cannot be read shows as 0.0.
    std::u16string calibre;
    AppendFormattedFloat(calibre, caliber, module.LoadString(kCaliberFormat));
    if (calibre.empty()) {
        // A translation whose calibre format is not one real number falls back to the built-in one.
        AppendFormattedFloat(calibre, caliber, *StringTable::english().find(kCaliberFormat));
    }
    text = name + u" (" + calibre + u")";
    return true;
}

int CompareEvents(IEventParams& a, IEventParams& b, const CTalvoAppModule& module)
{
    float distanceA = 0;
    float distanceB = 0;
    (void)a.get_Distance(&distanceA); // Unreadable distances sort as 0.
    (void)b.get_Distance(&distanceB);
    if (distanceA != distanceB) {
        return distanceA < distanceB ? -1 : 1;
    }
    std::u16string nameA;
    std::u16string nameB;
    GetEventDisplayName(a, module, nameA);
    GetEventDisplayName(b, module, nameB);
    return platform::text::compareLocale(nameA, nameB);
}

std::u16string FormatDuration(double days, bool shortForm)
{
    std::u16string text;
    AppendDuration(text, days, shortForm);
    return text;
}

std::u16string FormatResText(const CTalvoAppModule& module, std::uint32_t id,
                             std::initializer_list<std::u16string_view> inserts)
{
    return FormatResText(&module, id, inserts);
}

std::u16string FormatResText(const CTalvoAppModule* module, std::uint32_t id,
                             std::initializer_list<std::u16string_view> inserts)
{
    const std::span<const std::u16string_view> values(inserts.begin(), inserts.size());
    if (module) {
        if (auto text = filled(module->LoadString(id), values)) {
            return std::move(*text);
        }
    }
    return filled(StringTable::englishText(id), values).value_or(std::u16string());
}

std::u16string FormatTimeBetween(DATE from, DATE to, bool shortForm)
{
    return shownDate(from) && shownDate(to) ? FormatDuration(to - from, shortForm) : std::u16string(kNotAvailable);
}

std::u16string FormatInt(int value, std::u16string_view format)
{
    std::u16string text;
    AppendFormattedInt(text, value, false, format);
    return text;
}

std::u16string FormatFloat(float value, std::u16string_view format)
{
    std::u16string text;
    AppendFormattedFloat(text, value, format);
    return text;
}

} // namespace talvodesk
