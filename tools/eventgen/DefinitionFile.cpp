#include "tools/eventgen/DefinitionFile.h"

#include <fstream>

namespace eventgen {

namespace {

std::string trimmed(const std::string& text)
{
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

} // namespace

std::optional<DefinitionFile> readDefinitionFile(const std::filesystem::path& path, std::string& error)
{
    std::ifstream input(path);
    if (!input) {
        error = path.string() + ": cannot be read";
        return std::nullopt;
    }
    DefinitionFile file{path, {}};
    std::string raw;
    for (int line = 1; std::getline(input, raw); ++line) {
        const std::string text = trimmed(raw);
        const std::string where = path.filename().string() + ":" + std::to_string(line) + ": ";
        if (text.empty() || text.front() == '#') {
            continue;
        }
        if (text.front() == '[') {
            if (text.back() != ']') {
                error = where + "unclosed section header";
                return std::nullopt;
            }
            file.sections.push_back({trimmed(text.substr(1, text.size() - 2)), line, {}});
            continue;
        }
        const auto equals = text.find('=');
        if (equals == std::string::npos) {
            error = where + "expected key = value";
            return std::nullopt;
        }
        if (file.sections.empty()) {
            error = where + "a value before any section";
            return std::nullopt;
        }
        file.sections.back().entries.push_back(
            {trimmed(text.substr(0, equals)), trimmed(text.substr(equals + 1)), line});
    }
    return file;
}

} // namespace eventgen
