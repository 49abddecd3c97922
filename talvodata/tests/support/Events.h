#pragma once

#include "interfaces/talvodata/IEventManager.h"
#include "interfaces/talvodata/IEventParams.h"
#include "platform/com/Bstr.h"
#include "platform/com/ClassTable.h"
#include "platform/com/ComPtr.h"

#include <gtest/gtest.h>

namespace talvodata::testsupport {

/// One of the shooting events the project ships ("AR10", "AP10", ...), from the process's event manager.
inline platform::com::ComPtr<IEventParams> shippedEvent(const char* shortName)
{
    platform::com::ComPtr<IEventManager> events;
    EXPECT_EQ(S_OK, CoCreateInstance(CLSID_EventManager, nullptr, CLSCTX_ALL, IEventManager::kIid, events.putVoid()));
    platform::com::ComPtr<IEventParams> event;
    if (events) {
        EXPECT_EQ(S_OK, events->FindByShortName(platform::com::Bstr(shortName).get(), event.put()));
    }
    return event;
}

} // namespace talvodata::testsupport
