#include "platform/storage/internal/Document.h"

#include "platform/storage/internal/CompoundFileWriter.h"

namespace platform::storage::internal {

Document::Document(std::shared_ptr<Element> root, std::filesystem::path path, std::optional<fs::WriteMode> writeMode)
    : m_root(std::move(root)), m_path(std::move(path)), m_writeMode(writeMode), m_changed(writeMode.has_value())
{
}

Document::~Document()
{
    if (Status status = commit(); !status) {
        (void)reportFailure(status.error()); // Nobody is left to return it to.
    }
}

Status Document::commit()
{
    std::lock_guard guard(m_mutex);
    if (!m_writeMode || !m_changed) {
        return {};
    }
    const std::vector<std::uint8_t> bytes = writeCompoundFile(*m_root);
    if (Status status = fs::writeFileAtomically(m_path, bytes, *m_writeMode); !status) {
        return status;
    }
    // From now on the file is ours to replace.
    m_writeMode = fs::WriteMode::Replace;
    m_changed = false;
    return {};
}

} // namespace platform::storage::internal
