#pragma once

#include "talvoboard/internal/TargetState.h"

#include "interfaces/talvoboard/ITarget.h"
#include "platform/com/Variant.h"

#include <QPointer>

#include <functional>
#include <vector>

namespace talvoboard {

class TargetWidget;

/// What the control lends to its replay and mouse bindings: its public members, its state, its window and its
/// event point. Everything here belongs to the control, which outlives the bindings.
struct TargetAccess {
    ITarget& target;
    TargetState& state;
    const QPointer<TargetWidget>& widget;
    /// Raises an _ITargetEvents event on every sink, arguments in call order.
    std::function<void(DISPID, std::vector<platform::com::Variant>)> fire;
};

} // namespace talvoboard
