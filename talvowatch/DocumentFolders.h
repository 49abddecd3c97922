#pragma once

#include "talvowatch/ShellNotifications.h"

#include <map>
#include <string>
#include <utility>

namespace talvowatch {

/// How many live practice documents each event and each event's shooter holds, so that the shell changes of an
/// append or deletion come without walking the cache. Names compare exactly, as the browser's folders do.
/// Thread rule: the worker thread only.
class DocumentFolders {
public:
    FolderCounts counts(const std::u16string& event, const std::u16string& shooter) const;
    void add(const std::u16string& event, const std::u16string& shooter);
    void remove(const std::u16string& event, const std::u16string& shooter);

private:
    std::map<std::u16string, int> m_events;
    std::map<std::pair<std::u16string, std::u16string>, int> m_shooters;
};

} // namespace talvowatch
