#pragma once

#include "platform/lang/LanguageTable.h"

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace catalogcache {

/// The catalog programs' texts (CatalogEnglish.h) in one language: a language file's text where it has one that
/// takes the same inserts as the English text, else the English text. Immutable and cheap to copy; any thread.
class CatalogTexts {
public:
    /// English alone.
    CatalogTexts() = default;
    explicit CatalogTexts(std::optional<platform::lang::LanguageTable> language);
    /// The language the user chose for the product, from the installed language files.
    static CatalogTexts forUser();

    /// The text of a number; empty for a number that is not one of the catalog's.
    std::u16string text(std::uint32_t id) const;
    /// The text with its "%s" and "%i" replaced by the inserts in their order.
    std::u16string format(std::uint32_t id, std::initializer_list<std::u16string_view> inserts) const;

private:
    std::shared_ptr<const platform::lang::LanguageTable> m_language;
};

} // namespace catalogcache
