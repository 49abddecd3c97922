#pragma once

#include "talvodesk/core/document/View.h"

#include <functional>
#include <vector>

namespace talvodesk::testsupport {

/// One update a view received.
struct ReceivedHint {
    CView* sender = nullptr;
    DocumentHint hint = HintReset;
    std::intptr_t p1 = 0;
    std::intptr_t p2 = 0;
    std::intptr_t p3 = 0;
};

/// A view that records every update; an optional hook runs inside each call (to answer a flag or call back in).
class RecordingView final : public CView {
public:
    void OnUpdate(CView* sender, DocumentHint hint, std::intptr_t p1, std::intptr_t p2, std::intptr_t p3) override
    {
        received.push_back({sender, hint, p1, p2, p3});
        if (hook) {
            hook(received.back());
        }
    }

    std::vector<int> hints() const
    {
        std::vector<int> numbers;
        for (const ReceivedHint& update : received) {
            numbers.push_back(update.hint);
        }
        return numbers;
    }

    std::vector<ReceivedHint> received;
    std::function<void(const ReceivedHint&)> hook;
};

} // namespace talvodesk::testsupport
