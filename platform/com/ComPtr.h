#pragma once

#include "platform/com/Unknown.h"

#include <cstddef>
#include <type_traits>
#include <utility>

namespace platform::com {

/// An owning interface pointer. `ComPtr(p)` adds a reference, `ComPtr::adopt(p)` takes over one.
/// Converting to a base interface needs no QueryInterface; anything else goes through `queryInterface<I>()`.
template <typename T> class ComPtr {
public:
    ComPtr() = default;
    /*implicit*/ ComPtr(std::nullptr_t) {}
    explicit ComPtr(T* pointer) : m_pointer(pointer) { addRef(); }
    ComPtr(const ComPtr& other) : m_pointer(other.m_pointer) { addRef(); }
    ComPtr(ComPtr&& other) noexcept : m_pointer(std::exchange(other.m_pointer, nullptr)) {}
    template <typename U>
    requires std::is_convertible_v<U*, T*>
    /*implicit*/ ComPtr(const ComPtr<U>& other) : m_pointer(other.get())
    {
        addRef();
    }
    template <typename U>
    requires std::is_convertible_v<U*, T*>
    /*implicit*/ ComPtr(ComPtr<U>&& other)
    noexcept : m_pointer(other.detach()) {}
    ~ComPtr() { release(); }

    ComPtr& operator=(ComPtr other) noexcept
    {
        std::swap(m_pointer, other.m_pointer);
        return *this;
    }

    static ComPtr adopt(T* pointer)
    {
        ComPtr result;
        result.m_pointer = pointer;
        return result;
    }

    T* get() const { return m_pointer; }
    T* operator->() const { return m_pointer; }
    T& operator*() const { return *m_pointer; }
    explicit operator bool() const { return m_pointer != nullptr; }

    /// Releases what is held and returns the slot for an out-parameter that hands over one reference.
    T** put()
    {
        release();
        return &m_pointer;
    }
    void** putVoid() { return reinterpret_cast<void**>(put()); }

    /// Hands the reference to the caller.
    T* detach() { return std::exchange(m_pointer, nullptr); }
    void reset() { release(); }

    /// Fills an out-parameter with a new reference (null when this is null). E_POINTER for a null slot.
    HRESULT copyTo(T** out) const
    {
        if (!out) {
            return E_POINTER;
        }
        *out = m_pointer;
        if (m_pointer) {
            m_pointer->AddRef();
        }
        return S_OK;
    }
    template <typename I> HRESULT copyTo(I** out) const
    {
        if (!out) {
            return E_POINTER;
        }
        *out = nullptr;
        if (!m_pointer) {
            return E_NOINTERFACE;
        }
        return m_pointer->QueryInterface(iidOf<I>(), reinterpret_cast<void**>(out));
    }

    template <typename I> ComPtr<I> queryInterface() const
    {
        ComPtr<I> result;
        if (m_pointer) {
            (void)m_pointer->QueryInterface(iidOf<I>(), result.putVoid()); // A null result says it all.
        }
        return result;
    }

    friend bool operator==(const ComPtr& a, const ComPtr& b) { return a.m_pointer == b.m_pointer; }
    friend bool operator==(const ComPtr& a, std::nullptr_t) { return a.m_pointer == nullptr; }

private:
    void addRef()
    {
        if (m_pointer) {
            m_pointer->AddRef();
        }
    }
    void release()
    {
        if (T* pointer = std::exchange(m_pointer, nullptr)) {
            pointer->Release();
        }
    }

    T* m_pointer = nullptr;
};

} // namespace platform::com
