#include "RegisterEvents.h"

#include "TargetElement.h"

#include "platform/com/ClassTable.h"

namespace talvodata {

using platform::com::ClassRegistration;
using platform::com::creatorOf;

void registerEventClasses(platform::com::ClassTable& table)
{
    table.registerClass(ClassRegistration{CLSID_TargetElement, "TalvoData.TargetElement.1", "TalvoData.TargetElement",
                                          creatorOf<CTargetElement>()});
}

} // namespace talvodata
