#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace platform::fs::testing {

/// A fresh folder under the system's temporary folder, removed with everything in it on destruction.
class TemporaryFolder {
public:
    TemporaryFolder();
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;
    ~TemporaryFolder();

    const std::filesystem::path& path() const { return m_path; }
    std::filesystem::path operator/(const std::string& name) const { return m_path / name; }

    /// The names in the folder, sorted, hidden ones included.
    std::vector<std::string> names() const;

private:
    std::filesystem::path m_path;
};

void writeText(const std::filesystem::path& path, const std::string& text);
std::vector<std::uint8_t> bytesOf(const std::string& text);

} // namespace platform::fs::testing
