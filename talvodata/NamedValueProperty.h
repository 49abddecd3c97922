#pragma once

#include "NamedValues.h"

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

} // namespace talvodata
