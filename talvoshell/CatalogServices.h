#pragma once

#include "catalogcache/CatalogTexts.h"
#include "platform/shell/ShellTypes.h"
#include "talvoshell/Catalog.h"
#include "talvoshell/Launcher.h"

#include <QLocale>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace talvoshell {

/// What the catalog's shell objects share: the tree, how programs are started, how the user is asked, the
/// locale display names follow, the texts it shows and where renamed practices are saved.
struct CatalogServices {
    std::shared_ptr<CCatalog> catalog;
    std::shared_ptr<Launcher> launcher;
    /// Asks a yes/no question (owner, text, caption); true for yes.
    std::function<bool(platform::shell::HWND, const std::u16string&, const std::u16string&)> confirm;
    QLocale locale;
    std::u16string catalogFolder;
    /// The text of a number of catalogcache/CatalogEnglish.h in the program's language; none gives English.
    std::function<std::u16string(std::uint32_t)> text;
};

/// The services' text of a number, English without a text source.
inline std::u16string CatalogText(const CatalogServices& services, std::uint32_t id)
{
    return services.text ? services.text(id) : catalogcache::CatalogTexts().text(id);
}

} // namespace talvoshell
