#pragma once

#include "interfaces/talvoboard/ITarget.h"
#include "platform/com/ComPtr.h"

#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace talvodesk {

/// The elements of a page by their ids: what each shows ("block", "inline" or "none"), its HTML text, the value of
/// an entry field and the target control of a target element. The page's widgets follow it through the observer;
/// whoever reads the page (printing too) reads it here, shown or not. Owner thread only.
class PageElements {
public:
    struct Element {
        std::u16string display = u"block";
        std::u16string html;
        /// The text of an entry field.
        std::u16string value;
        platform::com::ComPtr<ITarget> target;
    };

    /// Told of every change after it is made, and of the batches that frame them.
    class Observer {
    public:
        virtual void elementChanged(const std::u16string& id, const Element& element) = 0;
        /// A batch of changes begins: work each change would repeat may wait for its end.
        virtual void changesBegin() {}
        virtual void changesEnd() {}

    protected:
        ~Observer() = default;
    };

    /// Frames the changes made while it lives as one batch for the observer. Batches nest; the observer hears of
    /// the outermost only.
    class Batch {
    public:
        explicit Batch(PageElements& page);
        ~Batch();
        Batch(const Batch&) = delete;
        Batch& operator=(const Batch&) = delete;

    private:
        PageElements& m_page;
    };

    /// Adds an element, or resets one of that id.
    void add(const std::u16string& id, std::u16string_view display = u"block", std::u16string_view html = {});
    void setObserver(Observer* observer) { m_observer = observer; }
    void setTarget(const std::u16string& id, platform::com::ComPtr<ITarget> target);

    /// Null when there is no such element.
    const Element* GetElement(std::u16string_view id) const;
    /// The element's target control; null when it has none.
    ITarget* target(std::u16string_view id) const;
    /// False, and nothing changed, when the element is missing.
    bool SetElementDisplay(std::u16string_view id, std::u16string_view display);
    /// Shows the row "<id>Row" when `html` is given (even empty) and hides it when not, then sets the element's
    /// HTML. False when the element itself is missing; an element without a row is only set.
    bool SetRowValue(std::u16string_view id, const std::optional<std::u16string>& html);
    /// Sets the element's text, shown as written, and shows the row "<id>Row" for a text and hides it for none.
    bool SetElementText(std::u16string_view id, std::u16string_view text);
    /// The element's HTML without its tags and with its entities decoded.
    bool GetElementText(std::u16string_view id, std::u16string& text) const;
    bool SetElementValue(std::u16string_view id, std::u16string_view value);
    bool SetElementHtml(std::u16string_view id, std::u16string_view html);

private:
    Element* find(std::u16string_view id);
    void changed(std::u16string_view id);

    std::map<std::u16string, Element, std::less<>> m_elements;
    Observer* m_observer = nullptr;
    int m_batches = 0;
};

/// Text made safe to stand in HTML: "&", "<", ">" and '"' as entities, so a shooter's text shows as typed.
std::u16string EscapeHtml(std::u16string_view text);

} // namespace talvodesk
