#include "talvodata/CatalogPath.h"

#include "platform/com/Bstr.h"
#include "platform/registry/Key.h"

#include <cstdlib>

namespace talvodata {

std::u16string catalogPath()
{
    using platform::registry::Hive;
    using platform::registry::Key;
    if (auto key = Key::open(Hive::LocalMachine, u"Software\\Talvo")) {
        if (auto folder = key->string(u"InstallDir2"); folder && !folder->empty()) {
            return *folder + u"/";
        }
    }
    const char* home = std::getenv("HOME");
    return platform::com::utf8ToUtf16(home ? home : "") + u"/Talvo catalog/";
}

} // namespace talvodata
