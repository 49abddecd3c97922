#include "talvowatch/DocumentFolders.h"

namespace talvowatch {

namespace {

template <typename Key> int countOf(const std::map<Key, int>& counts, const Key& key)
{
    const auto found = counts.find(key);
    return found == counts.end() ? 0 : found->second;
}

template <typename Key> void lower(std::map<Key, int>& counts, const Key& key)
{
    if (const auto found = counts.find(key); found != counts.end() && --found->second <= 0) {
        counts.erase(found);
    }
}

} // namespace

FolderCounts DocumentFolders::counts(const std::u16string& event, const std::u16string& shooter) const
{
    return FolderCounts{countOf(m_events, event), countOf(m_shooters, std::pair(event, shooter))};
}

void DocumentFolders::add(const std::u16string& event, const std::u16string& shooter)
{
    ++m_events[event];
    ++m_shooters[std::pair(event, shooter)];
}

void DocumentFolders::remove(const std::u16string& event, const std::u16string& shooter)
{
    lower(m_events, event);
    lower(m_shooters, std::pair(event, shooter));
}

} // namespace talvowatch
