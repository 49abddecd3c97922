#pragma once

#include "talvodesk/core/document/View.h"

#include <functional>
#include <vector>

namespace talvodesk::testsupport {

/// One update a view received.
struct ReceivedHint {
    CView* sender = nullptr;
    DocumentHint hint = HintReset;
    /// What it points at lived only during the update call.
    HintPayload payload;
};

/// A view that records every update; an optional hook runs inside each call (to answer a flag or call back in).
class RecordingView final : public CView {
public:
    void OnUpdate(CView* sender, DocumentHint hint, const HintPayload& payload) override
    {
        received.push_back({sender, hint, payload});
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
