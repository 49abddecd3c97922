#pragma once

#include "platform/com/Guid.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace talvodata::testsupport {

/// A compound file at `path` whose root carries `rootClass` and holds one stream "Contents" of `contents`.
void writeDocumentFile(const std::filesystem::path& path, const GUID& rootClass,
                       const std::vector<std::uint8_t>& contents);
/// The "Contents" stream of the compound file at `path` (empty when it cannot be read).
std::vector<std::uint8_t> contentsOf(const std::filesystem::path& path);
std::vector<std::uint8_t> fileBytes(const std::filesystem::path& path);
void writeFileBytes(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes);
/// The names in a folder, sorted, hidden ones included.
std::vector<std::string> namesIn(const std::filesystem::path& folder);

/// Sets an environment variable for the life of the object (unsets it for a null value) and restores it after.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const char* value);
    ~ScopedEnvironment();
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    std::string m_name;
    bool m_hadValue = false;
    std::string m_previous;
};

} // namespace talvodata::testsupport
