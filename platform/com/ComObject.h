#pragma once

#include "ComPtr.h"

#include <atomic>
#include <mutex>
#include <new>
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

    [[nodiscard]] std::unique_lock<std::recursive_mutex> lock() const { return std::unique_lock(m_mutex); }

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
    mutable std::recursive_mutex m_mutex;
};

/// Creates a COM-lite object and returns it holding one reference.
template <typename T, typename... Args> ComPtr<T> makeComObject(Args&&... args)
{
    return ComPtr<T>(new T(std::forward<Args>(args)...));
}

} // namespace platform::com
