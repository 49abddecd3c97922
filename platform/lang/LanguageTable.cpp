#include "platform/lang/LanguageTable.h"

#include "platform/com/Bstr.h"
#include "platform/fs/ReadFile.h"
#include "platform/text/Number.h"

#include <optional>

namespace platform::lang {

namespace {

/// The text with its escapes replaced; nothing for a lone or unknown escape.
std::optional<std::string> unescaped(std::string_view text)
{
    std::string result;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            result += text[i];
            continue;
        }
        if (++i == text.size()) {
            return std::nullopt;
        }
        switch (text[i]) {
        case 'n':
            result += '\n';
            break;
        case 't':
            result += '\t';
            break;
        case '\\':
            result += '\\';
            break;
        default:
            return std::nullopt;
        }
    }
    return result;
}

Error badLine(std::size_t number, std::string_view why)
{
    return Error{E_FAIL, "line " + std::to_string(number) + " of the language file " + std::string(why)};
}

} // namespace

Result<LanguageTable> LanguageTable::load(const std::filesystem::path& file)
{
    const auto bytes = fs::readWholeFile(file);
    if (!bytes) {
        return bytes.error();
    }
    return parse(std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()));
}

Result<LanguageTable> LanguageTable::parse(std::string_view text)
{
    LanguageTable table;
    std::size_t lineNumber = 0;
    while (!text.empty()) {
        ++lineNumber;
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        if (line.empty() || line.front() == '#') {
            continue;
        }
        const std::size_t tab = line.find('\t');
        const auto id = text::parseInteger(line.substr(0, tab == std::string_view::npos ? 0 : tab));
        if (!id || *id < 0 || *id > 0xFFFF) {
            return badLine(lineNumber, "has no string number and tab");
        }
        const auto textOfLine = unescaped(line.substr(tab + 1));
        if (!textOfLine) {
            return badLine(lineNumber, "has an unknown escape");
        }
        if (!table.m_texts.emplace(static_cast<std::uint32_t>(*id), com::utf8ToUtf16(*textOfLine)).second) {
            return badLine(lineNumber, "repeats a string number");
        }
    }
    return table;
}

const std::u16string* LanguageTable::find(std::uint32_t id) const
{
    const auto found = m_texts.find(id);
    return found == m_texts.end() ? nullptr : &found->second;
}

std::string LanguageTable::fileText() const
{
    std::string text;
    for (const auto& [id, entry] : m_texts) {
        text += std::to_string(id) + '\t';
        for (const char c : com::utf16ToUtf8(entry)) {
            switch (c) {
            case '\n':
                text += "\\n";
                break;
            case '\t':
                text += "\\t";
                break;
            case '\\':
                text += "\\\\";
                break;
            default:
                text += c;
            }
        }
        text += '\n';
    }
    return text;
}

} // namespace platform::lang
