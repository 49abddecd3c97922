#pragma once

#include "platform/com/Types.h"

#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

namespace talvodesk {

class PageElements;
struct InfoSummary;

/// A fixed text of the practice page: the element that shows it and its string-table number.
struct InfoPageText {
    std::u16string_view id;
    std::uint32_t stringId;
};

/// Every fixed text of the page, the twenty titles the view keeps among them.
std::span<const InfoPageText> InfoPageTexts();
/// The twenty title elements whose texts the view keeps (printing reads them), in that order.
extern const std::array<std::u16string_view, 20> kInfoTitleIds;
/// The six target elements: the practice's first, then the model's.
extern const std::array<std::u16string_view, 6> kInfoTargetIds;

/// Declares every element of the practice page, its fixed texts taken from `text`; both panels start hidden.
void DeclareInfoPage(PageElements& page, const std::function<std::u16string_view(std::uint32_t)>& text);
/// Sets the page's fixed texts again, in the language of `text`.
void SetInfoPageTexts(PageElements& page, const std::function<std::u16string_view(std::uint32_t)>& text);

/// What the page's texts need beyond the summary.
struct InfoPageFormats {
    /// The language's "%-3.1f mm" and "%-5.1f sec".
    std::u16string_view millimetres;
    std::u16string_view seconds;
    LCID locale = 0;
    std::u16string modelComments;
    /// The group is centred on the target anyway: no coincided result.
    bool centreGroup = false;
};

/// Writes the summary into the page: the target rows' layout, the model's texts and the statistics rows, each
/// model value in red after the practice's. With no shots on either side the statistics and the model row are
/// hidden instead; false then.
bool FillInfoPageTexts(PageElements& page, const InfoSummary& summary, const InfoPageFormats& formats);

} // namespace talvodesk
