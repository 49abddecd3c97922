#include "talvodata/tests/support/TempFolder.h"

#include <cstdlib>
#include <string>
#include <system_error>

namespace talvodata::testsupport {

TempFolder::TempFolder()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "talvo-events-XXXXXX").string();
    if (mkdtemp(pattern.data())) {
        m_path = pattern;
    }
}

TempFolder::~TempFolder()
{
    std::error_code ignored; // Leftovers in the temporary folder are harmless.
    std::filesystem::remove_all(m_path, ignored);
}

EventsFolderOverride::EventsFolderOverride(const std::filesystem::path& folder)
{
    if (const char* previous = std::getenv("TALVO_EVENTS_DIR")) {
        m_hadValue = true;
        m_previous = previous;
    }
    setenv("TALVO_EVENTS_DIR", folder.c_str(), 1);
}

EventsFolderOverride::~EventsFolderOverride()
{
    if (m_hadValue) {
        setenv("TALVO_EVENTS_DIR", m_previous.c_str(), 1);
    } else {
        unsetenv("TALVO_EVENTS_DIR");
    }
}

} // namespace talvodata::testsupport
