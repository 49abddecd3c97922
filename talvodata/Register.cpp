#include "Register.h"

#include "AimingTrace.h"

#include "platform/com/ClassTable.h"

namespace talvodata {
namespace {

template <typename T>
void registerClass(platform::com::ClassTable& table, const CLSID& classId, const std::string& name,
                   platform::com::Instancing instancing = platform::com::Instancing::PerCall)
{
    table.registerClass({classId, "TalvoData." + name + ".1", "TalvoData." + name, platform::com::creatorOf<T>(),
                         instancing});
}

} // namespace

void registerClasses(platform::com::ClassTable& table)
{
    registerClass<CAimingTrace>(table, CLSID_AimingTrace, "AimingTrace");
}

} // namespace talvodata
