#include "platform/shell/ShellTypes.h"

#include <map>
#include <mutex>

namespace platform::shell {

UINT RegisterClipboardFormat(const std::u16string& name)
{
    static std::mutex mutex;
    static std::map<std::u16string, UINT> formats;
    std::lock_guard guard(mutex);
    // Registered formats are numbered from 0xC000 as the desktop numbers them.
    auto [at, added] = formats.try_emplace(name, static_cast<UINT>(0xC000 + formats.size()));
    return at->second;
}

} // namespace platform::shell
