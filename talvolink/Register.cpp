#include "talvolink/Register.h"

#include "talvolink/TalvoDevice.h"

#include "interfaces/talvolink/Guids.h"
#include "platform/com/ClassTable.h"

namespace talvolink {

void registerClasses(platform::com::ClassTable& table)
{
    table.registerClass({CLSID_TalvoDevice, "TalvoLink.TalvoDevice.1", "TalvoLink.TalvoDevice",
                         platform::com::creatorOf<CTalvoDevice>()});
}

} // namespace talvolink
