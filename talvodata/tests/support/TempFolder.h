#pragma once

#include <filesystem>
#include <string>

namespace talvodata::testsupport {

/// A fresh folder under the system's temporary folder, removed with everything in it at the end.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

/// Points $TALVO_EVENTS_DIR at a folder for the life of the object and restores it after.
class EventsFolderOverride {
public:
    explicit EventsFolderOverride(const std::filesystem::path& folder);
    ~EventsFolderOverride();
    EventsFolderOverride(const EventsFolderOverride&) = delete;
    EventsFolderOverride& operator=(const EventsFolderOverride&) = delete;

private:
    bool m_hadValue = false;
    std::string m_previous;
};

} // namespace talvodata::testsupport
