// talvo-catalog [event [shooter]]: the catalog browser, at the catalog's root or at the folder named.
#include "catalogcache/CatalogTexts.h"
#include "platform/com/ClassTable.h"
#include "platform/shell/Computer.h"
#include "talvodata/Register.h"
#include "talvoshell/CatalogMonitor.h"
#include "talvoshell/CatalogWindow.h"
#include "talvoshell/TalvoFolder.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    talvodata::registerClasses(platform::com::ClassTable::instance()); // Renaming re-saves practices.
    const auto texts = catalogcache::CatalogTexts::forUser();
    const auto services = talvoshell::MakeCatalogServices(texts);
    talvoshell::RegisterCatalogFolder(services);
    talvoshell::CatalogMonitor monitor(services);

    using namespace platform::shell;
    ItemIdPtr list = ComputerIdList();
    list.reset(ILAppend(list.release(), ItemIdPtr(MakeCatalogItem(1, talvoshell::kCatalogRootName)).get()));
    for (int i = 1; i < argc && i <= 2; ++i) {
        list.reset(ILAppend(list.release(),
                            ItemIdPtr(MakeCatalogItem(1, QString::fromLocal8Bit(argv[i]).toStdU16String())).get()));
    }
    talvoshell::CatalogWindow window(texts);
    (void)window.Navigate(list.get()); // Always a catalog list: it binds.
    window.show();
    const int result = application.exec();
    platform::com::ClassTable::instance().clear();
    return result;
}
