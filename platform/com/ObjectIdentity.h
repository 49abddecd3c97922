#pragma once

#include "platform/com/ComPtr.h"

namespace platform::com {

/// Whether two interface pointers lead to one object (compared by their IUnknown); two nulls are the same.
template <typename A, typename B> bool isSameObject(A* left, B* right)
{
    if (!left || !right) {
        return !left && !right;
    }
    ComPtr<IUnknown> leftIdentity;
    ComPtr<IUnknown> rightIdentity;
    (void)left->QueryInterface(IUnknown::kIid, leftIdentity.putVoid()); // Every object answers IUnknown.
    (void)right->QueryInterface(IUnknown::kIid, rightIdentity.putVoid());
    return leftIdentity.get() == rightIdentity.get();
}

} // namespace platform::com
