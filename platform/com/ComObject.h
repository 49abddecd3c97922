#pragma once

#include "platform/com/ComPtr.h"
#include "platform/com/ObjectMutex.h"
#include "platform/com/Property.h"

#include <atomic>
#include <mutex>
#include <new>
#include <type_traits>
#include <utility>

namespace platform::com {

/// The base of every COM-lite object: an atomic reference count, one recursive lock per object, and
/// QueryInterface over the listed interfaces and their bases. The first listed interface provides IUnknown.
/// Thread rule: any thread; methods take `lock()` for their whole body.
template <typename... Interfaces> class ComObject : public Interfaces... {
public:
    HRESULT QueryInterface(REFIID riid, void** ppvObject) override
    {
        if (!ppvObject) {
            return E_POINTER;
        }
        *ppvObject = nullptr;
        if (riid == IUnknown::kIid) {
            *ppvObject = static_cast<IUnknown*>(static_cast<PrimaryInterface*>(this));
        } else {
            (void)(findInterface<Interfaces>(riid, ppvObject) || ...);
        }
        if (!*ppvObject) {
            return queryExtraInterface(riid, ppvObject);
        }
        AddRef();
        return S_OK;
    }

    ULONG AddRef() override { return ++m_referenceCount; }

    ULONG Release() override
    {
        const ULONG count = --m_referenceCount;
        if (count == 0) {
            delete this;
        }
        return count;
    }

    IUnknown* unknown() { return static_cast<IUnknown*>(static_cast<PrimaryInterface*>(this)); }

protected:
    ComObject() = default;
    virtual ~ComObject() = default;
    ComObject(const ComObject&) = delete;
    ComObject& operator=(const ComObject&) = delete;

    [[nodiscard]] std::unique_lock<ObjectMutex> lock() const { return std::unique_lock(m_mutex); }

    // Plain property bodies under the object's lock, one line per property (Property.h). `field` is read under
    // the lock: pass the member itself, never a value computed from members.
    template <typename T, typename Out> HRESULT getProperty(const T& field, Out* out) const
    {
        auto guard = lock();
        return copyProperty(field, out);
    }
    HRESULT getFlag(const bool& field, VARIANT_BOOL* out) const
    {
        auto guard = lock();
        return copyFlag(field, out);
    }
    template <typename T> HRESULT putProperty(T& field, std::type_identity_t<T> value)
    {
        return putProperty(field, std::move(value), Notify::Never, [] {});
    }
    /// Stores `value`, and calls `tell()` (still under the lock) when `when` says so.
    template <typename T, typename Tell>
    HRESULT putProperty(T& field, std::type_identity_t<T> value, Notify when, Tell tell)
    {
        auto guard = lock();
        if (storeProperty(field, std::move(value), when)) {
            tell();
        }
        return S_OK;
    }
    // Any non-zero VARIANT_BOOL would convert to true: a flag is stored through fromVariantBool.
    HRESULT putProperty(bool& field, VARIANT_BOOL value) = delete;
    template <typename Tell> HRESULT putProperty(bool& field, VARIANT_BOOL value, Notify when, Tell tell) = delete;
    /// E_INVALIDARG, storing nothing, unless `valid`; then as putProperty.
    template <typename T, typename Tell>
    HRESULT putChecked(T& field, std::type_identity_t<T> value, bool valid, Notify when, Tell tell)
    {
        if (!valid) {
            return E_INVALIDARG;
        }
        return putProperty(field, std::move(value), when, tell);
    }
    template <typename T> HRESULT putChecked(T& field, std::type_identity_t<T> value, bool valid)
    {
        return putChecked(field, std::move(value), valid, Notify::Never, [] {});
    }

    /// For interfaces an object answers beyond its base list (aggregates, tear-offs). Sets *ppvObject with a
    /// reference on success.
    virtual HRESULT queryExtraInterface(REFIID /*riid*/, void** /*ppvObject*/) { return E_NOINTERFACE; }

private:
    template <typename... Ts> struct FirstOf;
    template <typename T, typename... Ts> struct FirstOf<T, Ts...> {
        using Type = T;
    };
    using PrimaryInterface = typename FirstOf<Interfaces...>::Type;

    template <typename I> bool findInterface(REFIID riid, void** ppvObject)
    {
        if (!interfaceChainHas<I>(riid)) {
            return false;
        }
        *ppvObject = static_cast<I*>(this);
        return true;
    }

    std::atomic<ULONG> m_referenceCount{0};
    mutable ObjectMutex m_mutex;
};

/// Creates a COM-lite object and returns it holding one reference.
template <typename T, typename... Args> ComPtr<T> makeComObject(Args&&... args)
{
    return ComPtr<T>(new T(std::forward<Args>(args)...));
}

} // namespace platform::com
