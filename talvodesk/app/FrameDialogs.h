#pragma once

#include <QString>

#include <filesystem>
#include <optional>

class QWidget;

namespace talvodesk {

/// The dialogs the frame's commands open, so a headless run can answer them.
class FrameDialogs {
public:
    virtual ~FrameDialogs() = default;
    /// A practice file to open; nothing when cancelled.
    virtual std::optional<std::filesystem::path> openPractice(QWidget* owner, const QString& caption);
    /// A file-system folder; nothing when cancelled.
    virtual std::optional<std::filesystem::path> chooseFolder(QWidget* owner, const QString& title);
    virtual void about(QWidget* owner);
};

} // namespace talvodesk
