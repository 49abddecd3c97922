#pragma once

#include "platform/com/HResult.h"

#include <cstddef>
#include <new>
#include <stdexcept>
#include <vector>

namespace talvodata {

/// Makes `storage` hold `count` default values. Memory that cannot be had is E_OUTOFMEMORY, not an exception.
template <typename T> HRESULT assignDefaults(std::vector<T>& storage, std::size_t count)
{
    try {
        storage.assign(count, T{});
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (const std::length_error&) {
        return E_OUTOFMEMORY;
    }
    return S_OK;
}

} // namespace talvodata
