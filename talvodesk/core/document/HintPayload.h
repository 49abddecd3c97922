#pragma once

#include "platform/com/Types.h"

#include <concepts>
#include <span>
#include <variant>

struct IAiming;
struct IShot;

namespace talvodesk {

/// Hints 10, 11 and 13.
struct AimingHint {
    IAiming* aiming = nullptr;
};

/// Hint 12.
struct ShotAddedHint {
    IAiming* aiming = nullptr;
    IShot* shot = nullptr;
    /// The group's other shots were re-centred.
    bool centred = false;
};

/// Hints 15 and 25: the sender's answer, false on entry; a receiver sets it to say yes.
struct AnswerHint {
    bool* answer = nullptr;
};

/// Hint 18.
struct ReplayPauseHint {
    bool paused = false;
};

/// Hint 19: how far the trace was dragged, in millimetres.
struct TraceOffsetHint {
    float dx = 0;
    float dy = 0;
};

/// Hint 24: the device's trigger readings, in its order.
struct TriggerHint {
    std::span<const LONG> readings;
};

/// Hint 26: 2 prone, 1 standing, -1 kneeling.
struct PositionHint {
    LONG subTarget = 0;
};

/// Hint 27: the beat's earliest and latest time.
struct HeartBeatHint {
    DATE earliest = 0;
    DATE latest = 0;
};

/// The arguments of one update hint: none, or one of the structs above. What they point at belongs to the sender
/// and lives only during the update call.
class HintPayload {
    using Value = std::variant<std::monostate, AimingHint, ShotAddedHint, AnswerHint, ReplayPauseHint, TraceOffsetHint,
                               TriggerHint, PositionHint, HeartBeatHint>;

public:
    HintPayload() = default;
    template <class Payload>
    requires std::constructible_from<Value, Payload>
    /*implicit*/ HintPayload(Payload payload) : m_value(payload)
    {
    }

    /// The payload when the hint carries this kind, else null (a hint sent without arguments, or with others).
    template <class Payload> const Payload* get() const { return std::get_if<Payload>(&m_value); }

    /// The aiming of hints 10 to 13, else null.
    IAiming* aiming() const
    {
        if (const auto* hint = get<AimingHint>()) {
            return hint->aiming;
        }
        const auto* added = get<ShotAddedHint>();
        return added ? added->aiming : nullptr;
    }

private:
    Value m_value;
};

} // namespace talvodesk
