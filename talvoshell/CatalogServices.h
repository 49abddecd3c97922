#pragma once

#include "platform/shell/ShellTypes.h"
#include "talvoshell/Catalog.h"
#include "talvoshell/Launcher.h"

#include <QLocale>

#include <functional>
#include <memory>
#include <string>

namespace talvoshell {

/// What the catalog's shell objects share: the tree, how programs are started, how the user is asked, the
/// locale display names follow and where renamed practices are saved.
struct CatalogServices {
    std::shared_ptr<CCatalog> catalog;
    std::shared_ptr<Launcher> launcher;
    /// Asks a yes/no question (owner, text, caption); true for yes.
    std::function<bool(platform::shell::HWND, const std::u16string&, const std::u16string&)> confirm;
    QLocale locale;
    std::u16string catalogFolder;
};

} // namespace talvoshell
