#pragma once

#include "interfaces/talvodata/IEventParams.h"
#include "platform/com/ClassTable.h"
#include "platform/com/ComPtr.h"

#include <gtest/gtest.h>

#include <array>

namespace talvoboard::testsupport {

/// Ring diameters 1..10 of the test face, in millimetres.
inline constexpr std::array<float, 10> kRings{155.5f, 139.5f, 123.5f, 107.5f, 91.5f, 75.5f, 59.5f, 43.5f, 27.5f, 11.5f};

/// A shooting event made in memory with one 170 mm square face, the rings above and calibre 4.5 mm, so tests
/// control every number the control sizes by.
inline platform::com::ComPtr<IEventParams> makeEvent(float formSide = 170.0f)
{
    platform::com::ComPtr<IEventParams> event;
    EXPECT_EQ(S_OK,
              CoCreateInstance(talvodata::CLSID_EventParams, nullptr, CLSCTX_ALL, IEventParams::kIid, event.putVoid()));
    EXPECT_EQ(S_OK, event->put_Caliber(4.5f));
    platform::com::ComPtr<ITargetParams> face;
    EXPECT_EQ(S_OK, event->get_Target(1, face.put()));
    EXPECT_EQ(S_OK, face->put_FormWidth(formSide));
    EXPECT_EQ(S_OK, face->put_FormHeight(formSide));
    for (LONG score = 1; score <= 10; ++score) {
        EXPECT_EQ(S_OK, face->put_Ring(score, kRings[static_cast<std::size_t>(score) - 1]));
    }
    return event;
}

inline platform::com::ComPtr<ITargetParams> faceOf(IEventParams* event)
{
    platform::com::ComPtr<ITargetParams> face;
    EXPECT_EQ(S_OK, event->get_Target(1, face.put()));
    return face;
}

} // namespace talvoboard::testsupport
