#pragma once

#include "talvodesk/core/ShotsParameters.h"
#include "talvodesk/core/TalvoOptionsTree.h"

#include <QString>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

class QWidget;

namespace platform::registry {
class Key;
}

namespace talvodesk {

class COptions;

/// What the catalog dialog opens with: its caption, the one event it lists (empty: every event) and the event and
/// shooter folders it selects.
struct CatalogChoice {
    QString caption;
    std::u16string eventFilter;
    std::u16string event;
    std::u16string shooter;
    /// Where the dialog keeps its rectangle; none keeps nothing.
    const platform::registry::Key* settingsRoot = nullptr;
};

/// The dialogs the frame's commands open, so a headless run can answer them.
class FrameDialogs {
public:
    virtual ~FrameDialogs() = default;
    /// A practice file to open; nothing when cancelled.
    virtual std::optional<std::filesystem::path> openPractice(QWidget* owner, const QString& caption);
    /// A practice chosen in the catalog; nothing when cancelled. Without a catalog, the file dialog instead.
    virtual std::optional<std::filesystem::path> openFromCatalog(QWidget* owner, const CatalogChoice& choice);
    /// A file-system folder; nothing when cancelled.
    virtual std::optional<std::filesystem::path> chooseFolder(QWidget* owner, const QString& title);
    virtual void about(QWidget* owner);
    /// The options dialog over `live`: the change flags on OK, nothing on Cancel (`live` then untouched).
    virtual std::optional<std::uint32_t> editOptions(QWidget* owner, COptions& live, const TextLookup& texts,
                                                     const platform::registry::Key* settingsRoot);
    /// The shots-parameters dialog: the values taken by OK, nothing on Cancel.
    virtual std::optional<ShotsParameters> editShotsParameters(QWidget* owner, const ShotsParameters& values,
                                                               std::int32_t eventCode);
};

} // namespace talvodesk
