#include "RegisterEvents.h"

#include "EventParams.h"
#include "TargetElement.h"
#include "TargetParams.h"

#include "platform/com/ClassTable.h"

namespace talvodata {

using platform::com::ClassRegistration;
using platform::com::creatorOf;

void registerEventClasses(platform::com::ClassTable& table)
{
    table.registerClass(ClassRegistration{CLSID_TargetElement, "TalvoData.TargetElement.1", "TalvoData.TargetElement",
                                          creatorOf<CTargetElement>()});
    table.registerClass(ClassRegistration{CLSID_TargetParams, "TalvoData.TargetParams.1", "TalvoData.TargetParams",
                                          creatorOf<CTargetParams>()});
    table.registerClass(ClassRegistration{CLSID_EventParams, "TalvoData.EventParams.1", "TalvoData.EventParams",
                                          creatorOf<CEventParams>()});
}

} // namespace talvodata
