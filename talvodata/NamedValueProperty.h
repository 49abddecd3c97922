#pragma once

#include "talvodata/NamedValues.h"

#include "platform/com/Property.h"

namespace talvodata {

/// The `Value` property of every class that carries a named-value bag: a get, and a put (by value or by
/// reference) that sets the owner's dirty flag when it stores or removes an entry.
/// `Base` is a PersistentObject (or any base with lock() and setDirty()).
template <typename Base> class NamedValueProperty : public Base {
public:
    HRESULT get_Value(BSTR bstrValue, VARIANT* pVal) override
    {
        auto guard = this->lock();
        return m_values.get(bstrValue, pVal);
    }

    HRESULT put_Value(BSTR bstrValue, VARIANT newVal) override
    {
        auto guard = this->lock();
        bool changed = false;
        RETURN_IF_FAILED(m_values.put(bstrValue, newVal, changed));
        if (changed) {
            this->setDirty();
        }
        return S_OK;
    }

    HRESULT putref_Value(BSTR bstrValue, VARIANT newVal) override { return put_Value(bstrValue, newVal); }

protected:
    ~NamedValueProperty() override = default;

    NamedValues m_values;
};

/// The bag's listing as well (`ValuesCount`, `KeyValue`), for the interfaces that let callers walk it.
template <typename Base> class ListedNamedValueProperty : public NamedValueProperty<Base> {
public:
    HRESULT get_ValuesCount(LONG* pVal) override
    {
        auto guard = this->lock();
        return platform::com::copyProperty(static_cast<LONG>(this->m_values.size()), pVal);
    }

    HRESULT KeyValue(LONG index, BSTR* key, VARIANT* value) override
    {
        auto guard = this->lock();
        return this->m_values.entryAt(index, key, value);
    }

protected:
    ~ListedNamedValueProperty() override = default;
};

} // namespace talvodata
