#pragma once

#include "platform/com/ComObject.h"
#include "platform/shell/ShellInterfaces.h"

#include <vector>

namespace platform::shell {

/// Items handed out in the order they were added, each as a copy the caller frees.
/// Thread rule: any thread, under the object's lock.
class CEnumIDList : public com::ComObject<IEnumIDList> {
public:
    /// Adds a copy of the list at the end; false when it cannot be copied.
    bool Add(LPCITEMIDLIST item);

    /// More than one item without `pceltFetched` is E_INVALIDARG; S_FALSE when fewer than `celt` were left.
    HRESULT Next(ULONG celt, LPITEMIDLIST* rgelt, ULONG* pceltFetched) override;
    /// S_FALSE when the list ends first.
    HRESULT Skip(ULONG celt) override;
    HRESULT Reset() override;
    HRESULT Clone(IEnumIDList** ppenum) override;

private:
    std::vector<ItemIdPtr> m_items;
    std::size_t m_cursor = 0;
};

} // namespace platform::shell
