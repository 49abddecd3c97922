#pragma once

#include "platform/com/Result.h"
#include "platform/lang/LanguageTable.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <string_view>

namespace talvodesk {

/// The user-interface texts of one language, keyed by their string-table number, read from a language file
/// (platform::lang::LanguageTable) and checked against the built-in English. Immutable once made.
class StringTable {
public:
    /// The English table built into the program.
    static const StringTable& english();
    /// E_FAIL with the line number for a line that is not of that form or a number given twice; the file's
    /// errors for a file that cannot be read. A text whose built-in one is a number format and which does not take
    /// the same conversions (widths and precisions of at most two digits) is left out, so the English text is used.
    static platform::Result<StringTable> load(const std::filesystem::path& file);
    static platform::Result<StringTable> parse(std::string_view text);

    /// The text, or null when this table has none for the number.
    const std::u16string* find(std::uint32_t id) const { return m_table.find(id); }
    /// The English text of a number; empty when there is none.
    static std::u16string_view englishText(std::uint32_t id);
    std::size_t size() const { return m_table.size(); }
    /// Every number with its text, in number order.
    const std::map<std::uint32_t, std::u16string>& texts() const { return m_table.texts(); }
    /// The table in the language-file form, in number order; parse reads it back as the same table.
    std::string fileText() const { return m_table.fileText(); }

private:
    explicit StringTable(platform::lang::LanguageTable table) : m_table(std::move(table)) {}
    /// The table without the texts that do not take the built-in text's conversions.
    static StringTable checked(const platform::lang::LanguageTable& table);

    platform::lang::LanguageTable m_table;
};

} // namespace talvodesk
