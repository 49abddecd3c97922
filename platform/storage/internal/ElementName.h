#pragma once

#include "platform/com/Result.h"

#include <string>
#include <string_view>

namespace platform::storage::internal {

inline constexpr std::size_t kMaxNameLength = 31;

/// The format's order of sibling names, which is also how names match: shorter names first, then code unit by
/// code unit after simple upper-casing. Names that compare equal are the same element.
int compareElementNames(std::u16string_view a, std::u16string_view b);

struct ElementNameLess {
    using is_transparent = void;
    bool operator()(std::u16string_view a, std::u16string_view b) const { return compareElementNames(a, b) < 0; }
};

/// STG_E_INVALIDNAME for a name the format cannot hold: empty, longer than 31 code units, or holding one of
/// "/", "\", ":", "!" or a null.
Status checkElementName(std::u16string_view name);

} // namespace platform::storage::internal
