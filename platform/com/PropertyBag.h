#pragma once

#include "platform/com/ComObject.h"
#include "platform/com/Persist.h"
#include "platform/com/Variant.h"

#include <string>
#include <utility>
#include <vector>

/// Where a property bag reports a property it could not read. Callers here pass none.
struct IErrorLog;

/// Named properties, as a container keeps an object's persisted state.
struct IPropertyBag : IUnknown {
    using Base = IUnknown;
    static constexpr IID kIid = platform::com::makeGuid("55272A00-42CB-11CE-8135-00AA004BB851");

    /// Reads into *value, converted to value->vt when that is not VT_EMPTY. A missing name: E_INVALIDARG.
    virtual HRESULT Read(const OLECHAR* name, VARIANT* value, IErrorLog* errorLog) = 0;
    virtual HRESULT Write(const OLECHAR* name, VARIANT* value) = 0;

protected:
    ~IPropertyBag() = default;
};

struct IPersistPropertyBag : IPersist {
    using Base = IPersist;
    static constexpr IID kIid = platform::com::makeGuid("37D84F60-42CB-11CE-8135-00AA004BB851");

    virtual HRESULT InitNew() = 0;
    virtual HRESULT Load(IPropertyBag* bag, IErrorLog* errorLog) = 0;
    virtual HRESULT Save(IPropertyBag* bag, BOOL clearDirty, BOOL saveAllProperties) = 0;

protected:
    ~IPersistPropertyBag() = default;
};

namespace platform::com {

/// A property bag in memory, names compared exactly, kept in the order first written.
/// Thread rule: any thread (locks internally).
class PropertyBag final : public ComObject<IPropertyBag> {
public:
    HRESULT Read(const OLECHAR* name, VARIANT* value, IErrorLog* errorLog) override;
    HRESULT Write(const OLECHAR* name, VARIANT* value) override;

    /// The names in the order first written.
    std::vector<std::u16string> names() const;

private:
    ~PropertyBag() override = default;

    std::vector<std::pair<std::u16string, Variant>> m_values;
};

} // namespace platform::com
