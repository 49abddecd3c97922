#pragma once

#include "platform/com/Result.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <string_view>

namespace platform::lang {

/// The texts of one language file, keyed by their string-table number. A language file is UTF-8 text, one
/// "<number><tab><text>" per line; "\n", "\t" and "\\" in a text stand for a line break, a tab and a backslash;
/// empty lines and lines beginning with "#" are skipped. Every program of the product reads the same files.
/// Immutable once made.
class LanguageTable {
public:
    LanguageTable() = default;
    explicit LanguageTable(std::map<std::uint32_t, std::u16string> texts) : m_texts(std::move(texts)) {}

    /// E_FAIL with the line number for a line that is not of that form or a number given twice; the file's
    /// errors for a file that cannot be read.
    static Result<LanguageTable> load(const std::filesystem::path& file);
    static Result<LanguageTable> parse(std::string_view text);

    /// The text, or null when this table has none for the number.
    const std::u16string* find(std::uint32_t id) const;
    std::size_t size() const { return m_texts.size(); }
    /// Every number with its text, in number order.
    const std::map<std::uint32_t, std::u16string>& texts() const { return m_texts; }
    /// The table in the language-file form, in number order; parse reads it back as the same table.
    std::string fileText() const;

private:
    std::map<std::uint32_t, std::u16string> m_texts;
};

} // namespace platform::lang
