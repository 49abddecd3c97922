#include "platform/registry/internal/HiveFormat.h"

#include "platform/com/Bstr.h"
#include "platform/com/LittleEndian.h"
#include "platform/registry/RegistryTypes.h"
#include "platform/text/CaseFolding.h"

#include <cstdio>
#include <cstring>
#include <optional>
#include <set>
#include <utility>

namespace platform::registry::internal {
namespace {

using com::utf16ToUtf8;
using com::utf8ToUtf16;

constexpr std::string_view kHeader = "REGEDIT4";
constexpr char kHexDigits[] = "0123456789abcdef";

std::string quoted(std::u16string_view text)
{
    std::string result = "\"";
    for (const char c : utf16ToUtf8(text)) {
        if (c == '\\' || c == '"') {
            result += '\\';
        }
        result += c;
    }
    return result + '"';
}

/// The text of a REG_SZ that the quoted form keeps exactly: plain text with one terminating zero.
std::optional<std::u16string> plainText(const std::vector<std::uint8_t>& data)
{
    if (data.size() < 2 || data.size() % 2 != 0 || data[data.size() - 2] != 0 || data[data.size() - 1] != 0) {
        return std::nullopt;
    }
    std::u16string text(data.size() / 2 - 1, u'\0');
    std::memcpy(text.data(), data.data(), text.size() * 2);
    if (!isPlainText(text)) {
        return std::nullopt;
    }
    return text;
}

std::string hexList(const std::vector<std::uint8_t>& data)
{
    std::string result;
    for (std::size_t i = 0; i < data.size(); ++i) {
        if (i > 0) {
            result += ',';
        }
        result += kHexDigits[data[i] >> 4];
        result += kHexDigits[data[i] & 0x0F];
    }
    return result;
}

std::string formatData(const HiveValue& value)
{
    if (value.type == REG_SZ) {
        if (const std::optional<std::u16string> text = plainText(value.data)) {
            return quoted(*text);
        }
    }
    if (value.type == REG_DWORD && value.data.size() == 4) {
        char text[16];
        std::snprintf(text, sizeof text, "dword:%02x%02x%02x%02x", value.data[3], value.data[2], value.data[1],
                      value.data[0]);
        return text;
    }
    if (value.type == REG_BINARY) {
        return "hex:" + hexList(value.data);
    }
    char prefix[24];
    std::snprintf(prefix, sizeof prefix, "hex(%x):", static_cast<unsigned>(value.type));
    return prefix + hexList(value.data);
}

// One path buffer grows and shrinks on the way down, so no level copies the path of the one above it.
void formatKey(const HiveKey& key, std::string& path, std::string& out)
{
    out += "\n[";
    out += path;
    out += "]\n";
    for (const HiveValue& value : key.values) {
        out += value.name.empty() ? std::string("@") : quoted(value.name);
        out += '=' + formatData(value) + '\n';
    }
    for (const auto& [folded, subkey] : key.subkeys) {
        const std::size_t length = path.size();
        path += '\\';
        path += utf16ToUtf8(subkey->name);
        formatKey(*subkey, path, out);
        path.resize(length);
    }
}

int hexDigitValue(char c)
{
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if ((c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F')) {
        return (c | 0x20) - 'a' + 10;
    }
    return -1;
}

/// Reads one line's parts from the front of `rest`.
class LineReader {
public:
    explicit LineReader(std::string_view rest) : m_rest(rest) {}

    bool atEnd() const { return m_rest.empty(); }
    char peek() const { return m_rest.empty() ? '\0' : m_rest.front(); }
    bool consume(std::string_view expected)
    {
        if (m_rest.substr(0, expected.size()) != expected) {
            return false;
        }
        m_rest.remove_prefix(expected.size());
        return true;
    }

    /// A quoted name or string with \\ and \" escapes.
    std::optional<std::string> quotedText()
    {
        if (!consume("\"")) {
            return std::nullopt;
        }
        std::string text;
        while (!m_rest.empty()) {
            char c = m_rest.front();
            m_rest.remove_prefix(1);
            if (c == '"') {
                return text;
            }
            if (c == '\\') {
                if (m_rest.empty() || (m_rest.front() != '\\' && m_rest.front() != '"')) {
                    return std::nullopt;
                }
                c = m_rest.front();
                m_rest.remove_prefix(1);
            }
            text += c;
        }
        return std::nullopt;
    }

    /// Up to `maxDigits` hexadecimal digits, at least one.
    std::optional<std::uint32_t> hexNumber(std::size_t maxDigits)
    {
        std::uint32_t number = 0;
        std::size_t digits = 0;
        while (digits < maxDigits && !m_rest.empty()) {
            const int digit = hexDigitValue(m_rest.front());
            if (digit < 0) {
                break;
            }
            number = number * 16 + static_cast<std::uint32_t>(digit);
            m_rest.remove_prefix(1);
            ++digits;
        }
        return digits == 0 ? std::nullopt : std::optional(number);
    }

    /// Comma-separated two-digit bytes running to the end of the line; empty for an empty list.
    std::optional<std::vector<std::uint8_t>> byteList()
    {
        std::vector<std::uint8_t> bytes;
        while (!m_rest.empty()) {
            if (!bytes.empty() && !consume(",")) {
                return std::nullopt;
            }
            const std::size_t before = m_rest.size();
            const std::optional<std::uint32_t> byte = hexNumber(2);
            if (!byte || before - m_rest.size() != 2) {
                return std::nullopt;
            }
            bytes.push_back(static_cast<std::uint8_t>(*byte));
        }
        return bytes;
    }

private:
    std::string_view m_rest;
};

std::vector<std::uint8_t> stringData(std::string_view utf8)
{
    const std::u16string text = utf8ToUtf16(utf8);
    std::vector<std::uint8_t> data((text.size() + 1) * 2, 0);
    std::memcpy(data.data(), text.data(), text.size() * 2);
    return data;
}

std::optional<HiveValue> parseValue(std::string_view line)
{
    LineReader reader(line);
    HiveValue value;
    if (!reader.consume("@")) {
        const std::optional<std::string> name = reader.quotedText();
        if (!name || name->empty()) {
            return std::nullopt;
        }
        value.name = utf8ToUtf16(*name);
        value.folded = text::foldCase(value.name);
        if (!checkValueName(value.name)) {
            return std::nullopt;
        }
    }
    if (!reader.consume("=")) {
        return std::nullopt;
    }
    if (reader.peek() == '"') {
        const std::optional<std::string> text = reader.quotedText();
        if (!text || !reader.atEnd()) {
            return std::nullopt;
        }
        value.type = REG_SZ;
        value.data = stringData(*text);
        return value;
    }
    if (reader.consume("dword:")) {
        const std::optional<std::uint32_t> number = reader.hexNumber(8);
        if (!number || !reader.atEnd()) {
            return std::nullopt;
        }
        value.type = REG_DWORD;
        value.data.resize(sizeof *number);
        com::storeLittleEndian(value.data.data(), *number);
        return value;
    }
    if (reader.consume("hex:")) {
        value.type = REG_BINARY;
    } else if (reader.consume("hex(")) {
        const std::optional<std::uint32_t> type = reader.hexNumber(8);
        if (!type || !reader.consume("):")) {
            return std::nullopt;
        }
        value.type = *type;
    } else {
        return std::nullopt;
    }
    std::optional<std::vector<std::uint8_t>> bytes = reader.byteList();
    if (!bytes) {
        return std::nullopt;
    }
    value.data = std::move(*bytes);
    return value;
}

/// The key a header names, created with the keys on its way; null when the header is malformed.
HiveKey* keyOfHeader(HiveKey& root, std::string_view header, std::u16string_view rootName)
{
    const std::u16string path = utf8ToUtf16(header);
    const std::size_t separator = path.find(u'\\');
    const std::u16string_view first = std::u16string_view(path).substr(0, separator);
    if (text::foldCase(first) != text::foldCase(rootName)) {
        return nullptr;
    }
    const auto components = separator == std::u16string::npos
                                ? Result<std::vector<std::u16string>>(std::vector<std::u16string>{})
                                : splitKeyPath(std::u16string_view(path).substr(separator + 1));
    if (!components || (separator != std::u16string::npos && components->empty())) {
        return nullptr;
    }
    HiveKey* key = &root;
    for (const std::u16string& component : *components) {
        key = &key->subkey(component);
    }
    return key;
}

std::string_view trimLineEnd(std::string_view line)
{
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t')) {
        line.remove_suffix(1);
    }
    return line;
}

} // namespace

std::string formatHive(const HiveKey& root, std::u16string_view rootName)
{
    std::string out(kHeader);
    out += '\n';
    std::string path = utf16ToUtf8(rootName);
    formatKey(root, path, out);
    return out;
}

Result<std::unique_ptr<HiveKey>> parseHive(std::string_view text, std::u16string_view rootName,
                                           const std::string& fileName)
{
    auto root = std::make_unique<HiveKey>();
    root->name = rootName;
    HiveKey* current = nullptr;
    bool headerSeen = false;
    std::set<std::pair<const HiveKey*, std::u16string>> seen;
    std::size_t lineNumber = 0;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::string_view line = trimLineEnd(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        ++lineNumber;
        const auto damaged = [&](const char* problem) {
            return Error{kErrorBadHive, fileName + " line " + std::to_string(lineNumber) + ": " + problem};
        };
        if (line.empty() || line.front() == ';') {
            continue;
        }
        if (!headerSeen) {
            if (line != kHeader) {
                return damaged("does not begin with REGEDIT4");
            }
            headerSeen = true;
        } else if (line.front() == '[') {
            current = line.back() == ']' ? keyOfHeader(*root, line.substr(1, line.size() - 2), rootName) : nullptr;
            if (!current) {
                return damaged("malformed key header");
            }
        } else {
            if (!current) {
                return damaged("value outside any key");
            }
            std::optional<HiveValue> value = parseValue(line);
            if (!value) {
                return damaged("malformed value");
            }
            if (!seen.emplace(current, value->folded).second) {
                return damaged("value named twice");
            }
            current->values.push_back(std::move(*value));
        }
    }
    if (!headerSeen) {
        return Error{kErrorBadHive, fileName + ": empty, not a hive file"};
    }
    return root;
}

} // namespace platform::registry::internal
