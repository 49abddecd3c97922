#include "talvodata/RegisterDocument.h"

#include "talvodata/AimingCollection.h"
#include "talvodata/TalvoDocument.h"

#include "platform/com/ClassTable.h"

namespace talvodata {

using platform::com::ClassRegistration;
using platform::com::creatorOf;

void registerDocumentClasses(platform::com::ClassTable& table)
{
    table.registerClass(ClassRegistration{CLSID_AimingCollection, "TalvoData.AimingCollection.1",
                                          "TalvoData.AimingCollection", creatorOf<CAimingCollection>()});
    table.registerClass(ClassRegistration{CLSID_TalvoDocument, "TalvoData.TalvoDocument.1", "TalvoData.TalvoDocument",
                                          creatorOf<CTalvoDocument>()});
}

} // namespace talvodata
