#include "platform/shell/ChangeNotify.h"

#include <cstring>
#include <map>
#include <vector>

namespace platform::shell {

namespace {

struct Registration {
    ItemIdPtr watched;
    bool recursive;
    LONG events;
    ChangeCallback callback;
};

std::map<ULONG, Registration>& registrations()
{
    static std::map<ULONG, Registration> all;
    return all;
}

/// Whether `changed` is `watched` itself, one of its items, or, for a recursive registration, anything below it.
bool covers(const Registration& registration, LPCITEMIDLIST changed)
{
    const std::uint32_t watchedSize = ILGetSize(registration.watched.get());
    const std::uint32_t changedSize = ILGetSize(changed);
    if (watchedSize == 0 || changedSize < watchedSize) {
        return false;
    }
    const std::uint32_t items = watchedSize - 2;
    if (std::memcmp(registration.watched.get(), changed, items) != 0) {
        return false;
    }
    LPCITEMIDLIST below = reinterpret_cast<LPCITEMIDLIST>(changed->bytes + items);
    return changedSize == watchedSize || registration.recursive || !ILNext(below);
}

} // namespace

ULONG SHChangeNotifyRegister(LPCITEMIDLIST watched, bool recursive, LONG events, ChangeCallback callback)
{
    static ULONG next = 0;
    ItemIdPtr copy(ILClone(watched));
    if (!copy || !callback) {
        return 0;
    }
    registrations().emplace(++next, Registration{std::move(copy), recursive, events, std::move(callback)});
    return next;
}

void SHChangeNotifyDeregister(ULONG registration)
{
    registrations().erase(registration);
}

void SHChangeNotify(LONG event, LPCITEMIDLIST changed)
{
    // A callback may register or deregister: call a snapshot of those that match.
    std::vector<ChangeCallback> matching;
    for (const auto& entry : registrations()) {
        if ((entry.second.events & event) != 0 && covers(entry.second, changed)) {
            matching.push_back(entry.second.callback);
        }
    }
    for (const ChangeCallback& callback : matching) {
        callback(event, changed);
    }
}

} // namespace platform::shell
