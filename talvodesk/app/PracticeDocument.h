#pragma once

#include "interfaces/talvodata/ITalvoDocument.h"
#include "platform/com/ComPtr.h"

#include <cstdint>
#include <filesystem>
#include <string>

namespace talvodesk {

/// The practice the frame shows: the document it opened and what the frame's rules read of it. Owner thread only.
class PracticeDocument {
public:
    /// Loads the file into a new document; on failure the document is empty and readError() holds the reason.
    bool open(const std::filesystem::path& path);
    void reset();

    bool isValid() const { return m_document != nullptr; }
    ITalvoDocument* document() const { return m_document.get(); }
    const std::u16string& readError() const { return m_readError; }
    std::u16string shooterName() const;
    std::u16string eventShortName() const;
    std::filesystem::path fileName() const;
    std::int32_t fileVersion() const;
    /// The first match shot's entry time; 0 without match shots.
    DATE firstMatchEnterTime() const;

    /// Counts of the shots (hidden shots not counted), cached until the shots change.
    std::uint32_t sightingShots() const { return m_sightingShots; }
    std::uint32_t matchShots() const { return m_matchShots; }

    bool modified = false;
    bool showSightings = false;

    /// Removes the sighting shots, or all shots, and marks the practice modified.
    void clearSightingShots();
    void clearShots();

private:
    void countShots();

    platform::com::ComPtr<ITalvoDocument> m_document;
    std::u16string m_readError;
    std::uint32_t m_sightingShots = 0;
    std::uint32_t m_matchShots = 0;
};

} // namespace talvodesk
