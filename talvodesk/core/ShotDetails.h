#pragma once

#include "interfaces/talvodata/IShot.h"
#include "platform/com/ComPtr.h"

#include <string>
#include <string_view>

namespace talvodesk {

class CTalvoAppModule;
class CTalvoData;

/// The elements of the "Shot details" page by id, as its widget (or a test) keeps them.
class ShotPageElements {
public:
    /// Shows the element's row ("<id>Row", where there is one) for a text and hides it for none, then sets the
    /// element's text. False when the page has no such element.
    virtual bool SetElementText(std::u16string_view id, std::u16string_view text) = 0;

protected:
    ~ShotPageElements() = default;
};

/// What the "Shot details" page shows of the current match shot: its number, time, pulse, result, the time since
/// the match began and the intervals to its neighbours. A fill made while no page is there is remembered and
/// written when one comes. Owner thread only.
class ShotDetails {
public:
    explicit ShotDetails(const CTalvoAppModule* module) : m_module(module) {}

    /// The page to fill; null while it is being rebuilt. A page that comes gets the last fill.
    void SetPage(ShotPageElements* page);
    /// Fills the page for the document's current shot; a shot that is no match shot (or none) hides the table.
    void Update(CTalvoData& document);
    /// `number` 0 hides the table; the neighbours and the match's first shot may be null.
    void Fill(long number, IShot* shot, IShot* previous, IShot* next, IShot* first);

private:
    void Write();

    const CTalvoAppModule* m_module;
    ShotPageElements* m_page = nullptr;
    /// -1 until the first fill.
    long m_number = -1;
    platform::com::ComPtr<IShot> m_shot;
    platform::com::ComPtr<IShot> m_previous;
    platform::com::ComPtr<IShot> m_next;
    platform::com::ComPtr<IShot> m_first;
};

} // namespace talvodesk
