#include "talvoboard/Register.h"

#include "talvoboard/Target.h"

#include "platform/com/ClassTable.h"

namespace talvoboard {

void registerClasses(platform::com::ClassTable& table)
{
    table.registerClass(platform::com::ClassRegistration{CLSID_Target, "TalvoBoard.Target.1", "TalvoBoard.Target",
                                                         platform::com::creatorOf<CTarget>()});
}

} // namespace talvoboard
