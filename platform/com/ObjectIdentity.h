#pragma once

#include "platform/com/ComPtr.h"

#include <unordered_set>

namespace platform::com {

/// The identity of an object: its IUnknown pointer, which every interface pointer to it leads to; null for null.
template <typename I> IUnknown* identityOf(I* object)
{
    if (!object) {
        return nullptr;
    }
    ComPtr<IUnknown> identity;
    (void)object->QueryInterface(IUnknown::kIid, identity.putVoid()); // Every object answers IUnknown.
    return identity.get();
}

/// Whether two interface pointers lead to one object (two nulls are the same; a null and an object are not).
template <typename A, typename B> bool isSameObject(A* left, B* right)
{
    return identityOf(left) == identityOf(right);
}

/// The identities of the objects a collection holds, so that finding one already held takes constant time. The
/// identities stay valid while the collection keeps its references to the objects. Thread rule: the owner's.
class IdentitySet {
public:
    template <typename I> bool contains(I* object) const { return m_identities.count(identityOf(object)) > 0; }
    template <typename I> void add(I* object) { m_identities.insert(identityOf(object)); }
    void clear() { m_identities.clear(); }

private:
    std::unordered_set<IUnknown*> m_identities;
};

} // namespace platform::com
