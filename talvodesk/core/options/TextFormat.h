#pragma once

#include "platform/com/Types.h"

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

struct IEventParams;

namespace talvodesk {

class CTalvoAppModule;

/// Appends a span given in days, rounded to whole seconds before it is split: "hh:mm:ss", or "mm:ss" when the short
/// form is asked and the span is under an hour; a span backwards gets a "-" in front.
void AppendDuration(std::u16string& text, double days, bool shortForm);
/// Appends the number in a printf format with one integer conversion, or "n/a" when `notAvailable` is set and the
/// value is below 1. A format that does not hold exactly one integer conversion appends nothing.
void AppendFormattedInt(std::u16string& text, int value, bool notAvailable, std::u16string_view format);
/// Appends the number in a printf format with one real conversion, numbers always with "."; with a wrapper, the
/// result is first put into the wrapper's one "%s". A format or wrapper of another shape appends nothing.
void AppendFormattedFloat(std::u16string& text, float value, std::u16string_view format,
                          std::optional<std::u16string_view> wrapper = std::nullopt);
/// The three above as texts of their own.
std::u16string FormatDuration(double days, bool shortForm);
std::u16string FormatInt(int value, std::u16string_view format);
std::u16string FormatFloat(float value, std::u16string_view format);
/// The span from `from` to `to` as FormatDuration gives it, or "n/a" when either is no date as FormatDate shows
/// one (exactly 0.0, or outside the calendar).
std::u16string FormatTimeBetween(DATE from, DATE to, bool shortForm);
/// The string-table text in the module's language with its inserts ("%1!s!", "%2!d!") replaced by `inserts`, given
/// as text, in whatever order the text names them. A translation that is no such template or names an insert beyond
/// those given is replaced by the English text.
std::u16string FormatResText(const CTalvoAppModule& module, std::uint32_t id,
                             std::initializer_list<std::u16string_view> inserts);
/// As above, in English when there is no module.
std::u16string FormatResText(const CTalvoAppModule* module, std::uint32_t id,
                             std::initializer_list<std::u16string_view> inserts);
/// Names (shooter, event) and longer texts (comments) as pages and windows lay them out; the file keeps them whole.
constexpr std::size_t kShownNameLength = 128;
constexpr std::size_t kShownTextLength = 4096;
/// `text` cut to at most `length` UTF-16 units: a longer one keeps `length - 1` of them (never half a surrogate
/// pair) and ends in an ellipsis. Laying a 100 KB name out takes minutes; nobody reads past the first line.
std::u16string ShownText(std::u16string_view text, std::size_t length);

/// Appends the date and time as the user-interface locale writes them; exactly 0.0 (no date) and a date outside
/// the calendar append "n/a".
void FormatDate(std::u16string& text, DATE date, LCID userInterfaceLocale);

/// The event's name for lists: its "_name_<language id>" text, else its Name, else its ShortName, followed by the
/// calibre in the string-table format 61224 ("%-3.1f mm") in brackets. True.
bool GetEventDisplayName(IEventParams& event, const CTalvoAppModule& module, std::u16string& text);
/// The event order of lists: by distance, then by display name in the user's locale (case-sensitive). -1, 0, 1.
int CompareEvents(IEventParams& a, IEventParams& b, const CTalvoAppModule& module);

} // namespace talvodesk
