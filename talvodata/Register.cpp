#include "talvodata/Register.h"

#include "talvodata/Aiming.h"
#include "talvodata/AimingAttr.h"
#include "talvodata/AimingTrace.h"
#include "talvodata/RegisterCollections.h"
#include "talvodata/RegisterDocument.h"
#include "talvodata/RegisterEvents.h"
#include "talvodata/Shot.h"

#include "platform/com/ClassTable.h"
#include "platform/gfx/PictureObject.h"

namespace talvodata {
namespace {

template <typename T>
void registerClass(platform::com::ClassTable& table, const CLSID& classId, const std::string& name,
                   platform::com::Streaming streaming = platform::com::Streaming::Never)
{
    table.registerClass({classId, "TalvoData." + name + ".1", "TalvoData." + name, platform::com::creatorOf<T>(),
                         platform::com::Instancing::PerCall, streaming});
}

} // namespace

void registerClasses(platform::com::ClassTable& table)
{
    registerEventClasses(table);
    registerClass<CAimingAttr>(table, CLSID_AimingAttr, "AimingAttr", platform::com::Streaming::AsStoredValue);
    registerClass<CAimingTrace>(table, CLSID_AimingTrace, "AimingTrace", platform::com::Streaming::AsStoredValue);
    registerClass<CShot>(table, CLSID_Shot, "Shot", platform::com::Streaming::AsStoredValue);
    registerClass<CAiming>(table, CLSID_Aiming, "Aiming", platform::com::Streaming::AsStoredValue);
    registerCollectionClasses(table);
    registerDocumentClasses(table);
    // Pictures stored in faces, elements and named values are read back by their class.
    table.registerClass({platform::gfx::PictureObject::kClassId, "Talvo.Picture.1", "Talvo.Picture",
                         platform::com::creatorOf<platform::gfx::PictureObject>(), platform::com::Instancing::PerCall,
                         platform::com::Streaming::AsStoredValue});
}

} // namespace talvodata
