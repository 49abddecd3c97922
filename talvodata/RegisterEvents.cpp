#include "talvodata/RegisterEvents.h"

#include "talvodata/EventManager.h"
#include "talvodata/EventParams.h"
#include "talvodata/TargetElement.h"
#include "talvodata/TargetParams.h"

#include "platform/com/ClassTable.h"

namespace talvodata {

using platform::com::ClassRegistration;
using platform::com::creatorOf;

void registerEventClasses(platform::com::ClassTable& table)
{
    table.registerClass(ClassRegistration{CLSID_TargetElement, "TalvoData.TargetElement.1", "TalvoData.TargetElement",
                                          creatorOf<CTargetElement>(), platform::com::Instancing::PerCall,
                                          platform::com::Streaming::AsStoredValue});
    table.registerClass(ClassRegistration{CLSID_TargetParams, "TalvoData.TargetParams.1", "TalvoData.TargetParams",
                                          creatorOf<CTargetParams>(), platform::com::Instancing::PerCall,
                                          platform::com::Streaming::AsStoredValue});
    table.registerClass(ClassRegistration{CLSID_EventParams, "TalvoData.EventParams.1", "TalvoData.EventParams",
                                          creatorOf<CEventParams>(), platform::com::Instancing::PerCall,
                                          platform::com::Streaming::AsStoredValue});
    // One manager per process: its list is read once, when the first caller asks for it.
    table.registerClass(ClassRegistration{CLSID_EventManager, "TalvoData.EventManager.1", "TalvoData.EventManager",
                                          creatorOf<CEventManager>(), platform::com::Instancing::Singleton});
}

} // namespace talvodata
