#include "platform/fs/tests/support/TemporaryFolder.h"

#include <algorithm>
#include <cassert>
#include <cstdlib>
#include <fstream>

namespace platform::fs::testing {

TemporaryFolder::TemporaryFolder()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "talvo-test-XXXXXX").string();
    const char* created = ::mkdtemp(pattern.data());
    assert(created && "cannot create a temporary folder");
    m_path = created;
}

TemporaryFolder::~TemporaryFolder()
{
    std::error_code ignored;
    // Tests take permissions away; give them back so the removal can reach everything.
    for (const auto& entry : std::filesystem::recursive_directory_iterator(m_path, ignored)) {
        std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ignored);
    }
    std::filesystem::remove_all(m_path, ignored);
}

std::vector<std::string> TemporaryFolder::names() const
{
    std::vector<std::string> result;
    for (const auto& entry : std::filesystem::directory_iterator(m_path)) {
        result.push_back(entry.path().filename().string());
    }
    std::sort(result.begin(), result.end());
    return result;
}

void writeText(const std::filesystem::path& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

std::vector<std::uint8_t> bytesOf(const std::string& text)
{
    return {text.begin(), text.end()};
}

} // namespace platform::fs::testing
