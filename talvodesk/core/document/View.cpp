#include "talvodesk/core/document/View.h"

#include <algorithm>

namespace talvodesk {

void CDocumentViews::AddView(CView* view, CTalvoData* document)
{
    view->m_pDocument = document;
    m_views.push_back(view);
}

void CDocumentViews::RemoveView(CView* view)
{
    const auto found = std::find(m_views.begin(), m_views.end(), view);
    if (found == m_views.end()) {
        return;
    }
    m_views.erase(found);
    view->m_pDocument = nullptr;
}

void CDocumentViews::UpdateAllViews(CView* sender, DocumentHint hint, const HintPayload& payload)
{
    // A snapshot, because a view may change the list while it is told; each is checked again before its call.
    const std::vector<CView*> snapshot = m_views;
    for (CView* view : snapshot) {
        if (view == sender || std::find(m_views.begin(), m_views.end(), view) == m_views.end()) {
            continue;
        }
        view->OnUpdate(sender, hint, payload);
    }
}

} // namespace talvodesk
