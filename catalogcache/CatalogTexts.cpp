#include "catalogcache/CatalogTexts.h"

#include "catalogcache/CatalogEnglish.h"

#include "platform/lang/LanguageChoice.h"

namespace catalogcache {

namespace {

const platform::lang::LanguageTable& english()
{
    static const platform::lang::LanguageTable table = platform::lang::LanguageTable::parse(kCatalogEnglish).value();
    return table;
}

/// The letters after each "%": the inserts a text takes, in order.
std::u16string conversions(std::u16string_view text)
{
    std::u16string letters;
    for (std::size_t at = text.find(u'%'); at != std::u16string_view::npos; at = text.find(u'%', at + 2)) {
        letters += at + 1 < text.size() ? text[at + 1] : u'%';
    }
    return letters;
}

} // namespace

CatalogTexts::CatalogTexts(std::optional<platform::lang::LanguageTable> language)
{
    if (language) {
        m_language = std::make_shared<const platform::lang::LanguageTable>(std::move(*language));
    }
}

CatalogTexts CatalogTexts::forUser()
{
    return CatalogTexts(platform::lang::loadUserLanguage());
}

std::u16string CatalogTexts::text(std::uint32_t id) const
{
    const std::u16string* builtIn = english().find(id);
    if (!builtIn) {
        return {};
    }
    const std::u16string* translated = m_language ? m_language->find(id) : nullptr;
    // A text that takes other inserts would be filled wrongly: the English one is shown instead.
    return translated && conversions(*translated) == conversions(*builtIn) ? *translated : *builtIn;
}

std::u16string CatalogTexts::format(std::uint32_t id, std::initializer_list<std::u16string_view> inserts) const
{
    const std::u16string pattern = text(id);
    std::u16string result;
    auto next = inserts.begin();
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const bool insert = pattern[i] == u'%' && i + 1 < pattern.size() && next != inserts.end();
        if (insert && (pattern[i + 1] == u's' || pattern[i + 1] == u'i')) {
            result += *next++;
            ++i;
        } else {
            result += pattern[i];
        }
    }
    return result;
}

} // namespace catalogcache
