#pragma once

#include "talvodesk/core/document/DocumentHint.h"
#include "talvodesk/core/document/HintPayload.h"

#include <vector>

namespace talvodesk {

class CTalvoData;

/// A window that shows the practice. It learns of every change by OnUpdate and reads the practice only through
/// its document. Owner thread only.
class CView {
public:
    virtual ~CView() = default;

    /// `sender` is the view that caused the change, or null. May call back into the document.
    virtual void OnUpdate(CView* sender, DocumentHint hint, const HintPayload& payload) = 0;

    CTalvoData* m_pDocument = nullptr;
};

/// The views of one document, in the order they were added; not owned. Delivery is synchronous and re-entrant: a
/// view may add or remove views, or send hints of its own, while it receives one.
class CDocumentViews {
public:
    /// Sets the view's document pointer and appends it.
    void AddView(CView* view, CTalvoData* document);
    /// Removes the view (nothing when absent) and clears its document pointer.
    void RemoveView(CView* view);
    /// Calls OnUpdate of every view but `sender`, in list order. A view removed during the delivery is not called
    /// afterwards; one added during it first hears the next hint.
    void UpdateAllViews(CView* sender, DocumentHint hint, const HintPayload& payload = {});

private:
    std::vector<CView*> m_views;
};

} // namespace talvodesk
