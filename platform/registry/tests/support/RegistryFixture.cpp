#include "platform/registry/tests/support/RegistryFixture.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace platform::registry::testing {

RegistryFixture::RegistryFixture()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "talvo-registry-XXXXXX").string();
    if (::mkdtemp(pattern.data())) {
        m_folder = pattern;
    } else {
        ADD_FAILURE() << "cannot create a temporary folder";
        m_folder = "/nonexistent/talvo-registry"; // Never the real settings.
    }
    setEnvironment("XDG_CONFIG_HOME", m_folder.c_str());
    setEnvironment("TALVO_MACHINE_REGISTRY", nullptr);
}

RegistryFixture::~RegistryFixture()
{
    for (const auto& [name, value] : m_saved) {
        if (value) {
            ::setenv(name.c_str(), value->c_str(), /*overwrite=*/1);
        } else {
            ::unsetenv(name.c_str());
        }
    }
    std::error_code ignored;
    std::filesystem::remove_all(m_folder, ignored);
}

void RegistryFixture::setEnvironment(const char* name, const char* value)
{
    if (m_saved.count(name) == 0) {
        const char* previous = std::getenv(name);
        m_saved[name] = previous ? std::optional<std::string>(previous) : std::nullopt;
    }
    if (value) {
        ::setenv(name, value, /*overwrite=*/1);
    } else {
        ::unsetenv(name);
    }
}

std::string RegistryFixture::readText(const std::filesystem::path& path)
{
    std::ifstream stream(path, std::ios::binary);
    std::ostringstream text;
    text << stream.rdbuf();
    return text.str();
}

void RegistryFixture::writeText(const std::filesystem::path& path, const std::string& text)
{
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

} // namespace platform::registry::testing
