#include "platform/text/Locale.h"

#include <unicode/calendar.h>
#include <unicode/datefmt.h>
#include <unicode/gregocal.h>
#include <unicode/locid.h>
#include <unicode/timezone.h>
#include <unicode/uloc.h>

#include <memory>

namespace platform::text {

namespace {

constexpr std::uint32_t kEnglishUnitedStates = 0x409;

icu::Locale localeOf(std::uint32_t lcid)
{
    char name[ULOC_FULLNAME_CAPACITY] = {};
    UErrorCode status = U_ZERO_ERROR;
    uloc_getLocaleForLCID(lcid, name, sizeof name, &status);
    if (U_FAILURE(status) || name[0] == '\0') {
        return icu::Locale("en_US");
    }
    return icu::Locale(name);
}

} // namespace

std::uint32_t userLocaleId()
{
    const std::uint32_t lcid = uloc_getLCID(uloc_getDefault());
    return lcid == 0 ? kEnglishUnitedStates : lcid;
}

std::u16string formatDateTime(std::uint32_t lcid, int year, int month, int day, int hour, int minute, int second,
                              bool withDate, bool withTime)
{
    const icu::Locale locale = localeOf(lcid);
    const auto dateStyle = withDate ? icu::DateFormat::kShort : icu::DateFormat::kNone;
    const auto timeStyle = withTime ? icu::DateFormat::kMedium : icu::DateFormat::kNone;
    std::unique_ptr<icu::DateFormat> format(icu::DateFormat::createDateTimeInstance(dateStyle, timeStyle, locale));
    UErrorCode status = U_ZERO_ERROR;
    // The fields are written as given: no time zone may shift them.
    icu::GregorianCalendar calendar(*icu::TimeZone::getGMT(), locale, status);
    if (!format || U_FAILURE(status)) {
        return {};
    }
    format->setTimeZone(*icu::TimeZone::getGMT());
    calendar.clear();
    calendar.set(year, month - 1, day, hour, minute, second);
    const UDate date = calendar.getTime(status);
    if (U_FAILURE(status)) {
        return {};
    }
    icu::UnicodeString text;
    format->format(date, text);
    return std::u16string(text.getBuffer(), static_cast<std::size_t>(text.length()));
}

} // namespace platform::text
