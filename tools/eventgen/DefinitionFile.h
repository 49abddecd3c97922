#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace eventgen {

struct Entry {
    std::string key;
    std::string value;
    int line = 0;
};

struct Section {
    std::string name; // "event", "values", "face", "element"
    int line = 0;
    std::vector<Entry> entries;
};

/// A definition file read as `[section]` headers and `key = value` lines; `#` starts a comment line.
struct DefinitionFile {
    std::filesystem::path path;
    std::vector<Section> sections;
};

/// Reads and splits a definition file; on failure `error` says where and why ("AR10.event:4: ...").
std::optional<DefinitionFile> readDefinitionFile(const std::filesystem::path& path, std::string& error);

} // namespace eventgen
