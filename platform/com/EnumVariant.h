#pragma once

#include "platform/com/ComObject.h"
#include "platform/com/Variant.h"

#include <vector>

struct IEnumVARIANT : IUnknown {
    using Base = IUnknown;
    static constexpr IID kIid = platform::com::makeGuid("00020404-0000-0000-C000-000000000046");

    /// S_FALSE when fewer than `count` items were left.
    virtual HRESULT Next(ULONG count, VARIANT* items, ULONG* fetched) = 0;
    virtual HRESULT Skip(ULONG count) = 0;
    virtual HRESULT Reset() = 0;
    virtual HRESULT Clone(IEnumVARIANT** clone) = 0;

protected:
    ~IEnumVARIANT() = default;
};

namespace platform::com {

/// Enumerates a snapshot of values taken when it was made. Thread rule: any thread (locks internally).
class EnumVariant final : public ComObject<IEnumVARIANT> {
public:
    explicit EnumVariant(std::vector<Variant> items, std::size_t position = 0);

    HRESULT Next(ULONG count, VARIANT* items, ULONG* fetched) override;
    HRESULT Skip(ULONG count) override;
    HRESULT Reset() override;
    HRESULT Clone(IEnumVARIANT** clone) override;

private:
    ~EnumVariant() override = default;

    std::vector<Variant> m_items;
    std::size_t m_position;
};

} // namespace platform::com
