#pragma once

#include "interfaces/talvoboard/ITarget.h"
#include "platform/com/ClassTable.h"
#include "platform/com/ComPtr.h"
#include "platform/com/Variant.h"

#include <gtest/gtest.h>

namespace talvoboard::testsupport {

/// A new control, made as hosts make it: by class identifier.
inline platform::com::ComPtr<ITarget> makeTarget()
{
    platform::com::ComPtr<ITarget> target;
    EXPECT_EQ(S_OK, CoCreateInstance(CLSID_Target, nullptr, CLSCTX_ALL, ITarget::kIid, target.putVoid()));
    return target;
}

/// A property read late-bound, as the persisted map reads it.
inline platform::com::Variant propertyOf(ITarget* target, DISPID dispId)
{
    platform::com::Variant value;
    DISPPARAMS none;
    EXPECT_EQ(S_OK, target->Invoke(dispId, GUID_NULL, 0, DISPATCH_PROPERTYGET, &none, value.put(), nullptr, nullptr));
    return value;
}

} // namespace talvoboard::testsupport
