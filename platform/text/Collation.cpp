#include "platform/text/Collation.h"

#include <unicode/coll.h>
#include <unicode/locid.h>

#include <cstring>
#include <memory>

namespace platform::text {
namespace {

/// ICU names the "C" and "POSIX" locales "en_US_POSIX", whose collation sorts by code point.
icu::Locale collationLocale()
{
    const icu::Locale& locale = icu::Locale::getDefault();
    if (std::strcmp(locale.getName(), "en_US_POSIX") == 0) {
        return icu::Locale::getRoot();
    }
    return locale;
}

std::unique_ptr<icu::Collator> createCollator()
{
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::Collator> collator(icu::Collator::createInstance(collationLocale(), status));
    if (U_FAILURE(status)) {
        status = U_ZERO_ERROR;
        collator.reset(icu::Collator::createInstance(icu::Locale::getRoot(), status));
    }
    if (collator) {
        // Tertiary strength tells case apart; accents and base letters are told apart at the levels above.
        collator->setStrength(icu::Collator::TERTIARY);
    }
    return collator;
}

/// A collator is not safe to share between threads, so each thread builds its own on first use.
const icu::Collator* threadCollator()
{
    thread_local const std::unique_ptr<icu::Collator> t_collator = createCollator();
    return t_collator.get();
}

int sign(int value)
{
    return (value > 0) - (value < 0);
}

} // namespace

int compareLocale(std::u16string_view a, std::u16string_view b)
{
    if (const icu::Collator* collator = threadCollator()) {
        UErrorCode status = U_ZERO_ERROR;
        const UCollationResult order = collator->compare(a.data(), static_cast<int32_t>(a.size()), b.data(),
                                                         static_cast<int32_t>(b.size()), status);
        if (U_SUCCESS(status) && order != UCOL_EQUAL) {
            return order == UCOL_LESS ? -1 : 1;
        }
    }
    return sign(a.compare(b));
}

} // namespace platform::text
