#pragma once

#include "talvodata/LoadScope.h"

#include "platform/com/ComObject.h"
#include "platform/com/Persist.h"

namespace talvodata {

// An interface of the final class may declare a Save() of its own, which Save(IStream*, BOOL) hides here; that
// class brings both overloads together.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Woverloaded-virtual"
/// The base of every document-model class stored as a record: a COM-lite object answering its own
/// interfaces and IPersistStreamInit/IPersistStream over one versioned record and a dirty flag.
/// Thread rule: any thread; every method holds the object's lock.
template <typename... Interfaces>
class PersistentObject : public platform::com::ComObject<Interfaces..., IPersistStreamInit, IPersistStream> {
public:
    HRESULT GetClassID(CLSID* classId) override
    {
        if (!classId) {
            return E_POINTER;
        }
        *classId = persistentClassId();
        return S_OK;
    }

    HRESULT IsDirty() override
    {
        auto guard = this->lock();
        return m_dirty ? S_OK : S_FALSE;
    }

    /// A new object already holds its defaults.
    HRESULT InitNew() override { return S_OK; }

    HRESULT Load(IStream* stream) override
    {
        auto guard = this->lock();
        if (!stream) {
            return E_POINTER;
        }
        const LoadScope scope(stream);
        if (!scope.withinDepth()) {
            return E_FAIL;
        }
        RETURN_IF_FAILED(loadRecord(stream));
        m_dirty = false;
        return S_OK;
    }

    HRESULT Save(IStream* stream, BOOL clearDirty) override
    {
        auto guard = this->lock();
        if (!stream) {
            return E_POINTER;
        }
        RETURN_IF_FAILED(saveRecord(stream));
        if (clearDirty) {
            m_dirty = false;
        }
        return S_OK;
    }

    HRESULT GetSizeMax(ULONGLONG* /*size*/) override { return E_NOTIMPL; }

protected:
    PersistentObject() = default;
    ~PersistentObject() override = default;

    virtual const CLSID& persistentClassId() const = 0;
    /// Both run with the object's lock held.
    virtual HRESULT saveRecord(IStream* stream) = 0;
    virtual HRESULT loadRecord(IStream* stream) = 0;

    void setDirty() { m_dirty = true; }
    void clearDirty() { m_dirty = false; }
    /// The hook of puts that change what the record holds.
    auto markDirty()
    {
        return [this] { setDirty(); };
    }

private:
    bool m_dirty = false;
};
#pragma GCC diagnostic pop

} // namespace talvodata
