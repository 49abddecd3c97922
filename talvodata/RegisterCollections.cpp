#include "talvodata/RegisterCollections.h"

#include "talvodata/Range.h"
#include "talvodata/RangeCollection.h"
#include "talvodata/ShotCollection.h"

#include "platform/com/ClassTable.h"

namespace talvodata {

using platform::com::ClassRegistration;
using platform::com::creatorOf;

void registerCollectionClasses(platform::com::ClassTable& table)
{
    table.registerClass(ClassRegistration{CLSID_Range, "TalvoData.Range.1", "TalvoData.Range", creatorOf<CRange>()});
    table.registerClass(ClassRegistration{CLSID_RangeCollection, "TalvoData.RangeCollection.1",
                                          "TalvoData.RangeCollection", creatorOf<CRangeCollection>()});
    table.registerClass(ClassRegistration{CLSID_ShotCollection, "TalvoData.ShotCollection.1",
                                          "TalvoData.ShotCollection", creatorOf<CShotCollection>()});
}

} // namespace talvodata
