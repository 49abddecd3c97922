#pragma once

#include "interfaces/talvodata/IShot.h"
#include "platform/com/ComPtr.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace talvodesk {

class CTalvoAppModule;
class CTalvoData;
class PageElements;

/// A row of the "Shot details" page: its value element, the caption's string number, whether the row has an id of
/// its own ("<id>Row", so an empty value hides it) and whether it shows at load. The caption is "<id>Title"; the
/// table itself is the shot number's row.
struct ShotPageRow {
    std::u16string_view id;
    std::uint32_t caption;
    bool ownRow;
    bool shownAtLoad;
};
extern const std::array<ShotPageRow, 7> kShotPageRows;

/// Declares the page's elements as at load: captions in the language of `text`, values empty.
void DeclareShotPage(PageElements& page, const std::function<std::u16string(std::uint32_t)>& text);

/// What the "Shot details" page shows of the current match shot: its number, time, pulse, result, the time since
/// the match began and the intervals to its neighbours. A fill made while no page is there is remembered and
/// written when one comes. Owner thread only.
class ShotDetails {
public:
    explicit ShotDetails(const CTalvoAppModule* module) : m_module(module) {}

    /// The page to fill; null while it is being rebuilt. A page that comes gets the last fill.
    void SetPage(PageElements* page);
    /// Fills the page for the document's current shot; a shot that is no match shot (or none) hides the table.
    void Update(CTalvoData& document);
    /// `number` 0 hides the table; the neighbours and the match's first shot may be null.
    void Fill(long number, IShot* shot, IShot* previous, IShot* next, IShot* first);

private:
    void Write();

    const CTalvoAppModule* m_module;
    PageElements* m_page = nullptr;
    /// -1 until the first fill.
    long m_number = -1;
    platform::com::ComPtr<IShot> m_shot;
    platform::com::ComPtr<IShot> m_previous;
    platform::com::ComPtr<IShot> m_next;
    platform::com::ComPtr<IShot> m_first;
};

} // namespace talvodesk
