#pragma once

#include <cstdint>
#include <string>

namespace talvodesk {

/// How the user answered a question with Yes, No and Cancel.
enum class Answer { Yes, No, Cancel };

/// What the document wrapper needs of the main frame: the status-bar progress bar, the wait cursor and its
/// questions. The frame implements it; tests record it. Owner thread only.
class DocumentServices {
public:
    virtual ~DocumentServices() = default;

    /// Shows the progress bar with a string-table text; false when it could not be made.
    virtual bool BeginProgress(std::uint32_t textId) = 0;
    /// Range 1..total, position done.
    virtual void SetProgress(long done, long total) = 0;
    virtual void EndProgress() = 0;
    virtual void SetWaitCursor(bool wait) = 0;
    /// A task-modal Yes/No/Cancel question with the question icon, text from the string table.
    virtual Answer AskYesNoCancel(std::uint32_t textId) = 0;
    /// Tells the user that a save failed, with its reason when there is one: the practice stays open, unsaved.
    virtual void ReportSaveFailure(const std::u16string& reason) = 0;
};

} // namespace talvodesk
