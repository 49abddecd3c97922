#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <optional>
#include <string>

namespace platform::registry::testing {

/// Points XDG_CONFIG_HOME at a fresh temporary folder (and clears TALVO_MACHINE_REGISTRY) for one test, then
/// removes the folder and puts the environment back.
class RegistryFixture : public ::testing::Test {
protected:
    RegistryFixture();
    ~RegistryFixture() override;

    const std::filesystem::path& folder() const { return m_folder; }
    std::filesystem::path userHive() const { return m_folder / "talvo" / "user.reg"; }
    /// Sets an environment variable for the rest of the test; null unsets it.
    void setEnvironment(const char* name, const char* value);

    static std::string readText(const std::filesystem::path& path);
    static void writeText(const std::filesystem::path& path, const std::string& text);

private:
    std::filesystem::path m_folder;
    std::map<std::string, std::optional<std::string>> m_saved;
};

} // namespace platform::registry::testing
