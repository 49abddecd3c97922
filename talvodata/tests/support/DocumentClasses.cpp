#include "talvodata/tests/support/DocumentClasses.h"

#include "talvodata/RegisterCollections.h"
#include "talvodata/RegisterDocument.h"
#include "talvodata/RegisterEvents.h"

#include "interfaces/talvodata/Guids.h"
#include "platform/com/ClassTable.h"

namespace talvodata::testsupport {

void registerDocumentClassesWhereMissing()
{
    auto& table = platform::com::ClassTable::instance();
    if (!table.isRegistered(CLSID_EventManager)) {
        registerEventClasses(table);
    }
    if (!table.isRegistered(CLSID_ShotCollection)) {
        registerCollectionClasses(table);
    }
    if (!table.isRegistered(CLSID_TalvoDocument)) {
        registerDocumentClasses(table);
    }
}

} // namespace talvodata::testsupport
