#pragma once

#include "platform/com/HResult.h"

#include <cassert>
#include <string>
#include <utility>
#include <variant>

namespace platform {

/// A failure with the result code an interface method will report and a detail for the log
/// ("sector 12 points past end of file (4096 bytes)").
struct Error {
    HRESULT code = E_FAIL;
    std::string detail;
};

/// A value or an Error, shaped like std::expected.
template <typename T> class [[nodiscard]] Result {
public:
    /*implicit*/ Result(T value) : m_state(std::in_place_index<0>, std::move(value)) {}
    /*implicit*/ Result(Error error) : m_state(std::in_place_index<1>, std::move(error)) {}

    bool hasValue() const { return m_state.index() == 0; }
    explicit operator bool() const { return hasValue(); }

    T& value() &
    {
        assert(hasValue() && "value() of a failed Result");
        return std::get<0>(m_state);
    }
    const T& value() const&
    {
        assert(hasValue() && "value() of a failed Result");
        return std::get<0>(m_state);
    }
    T&& value() &&
    {
        assert(hasValue() && "value() of a failed Result");
        return std::get<0>(std::move(m_state));
    }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }
    T& operator*() & { return value(); }
    const T& operator*() const& { return value(); }

    const Error& error() const
    {
        assert(!hasValue() && "error() of a successful Result");
        return std::get<1>(m_state);
    }
    HRESULT code() const { return hasValue() ? S_OK : error().code; }

private:
    std::variant<T, Error> m_state;
};

template <> class [[nodiscard]] Result<void> {
public:
    Result() = default;
    /*implicit*/ Result(Error error) : m_error(std::move(error)), m_failed(true) {}

    bool hasValue() const { return !m_failed; }
    explicit operator bool() const { return hasValue(); }
    const Error& error() const
    {
        assert(m_failed && "error() of a successful Result");
        return m_error;
    }
    HRESULT code() const { return m_failed ? m_error.code : S_OK; }

private:
    Error m_error;
    bool m_failed = false;
};

using Status = Result<void>;

using FailureLogger = void (*)(const Error&);

/// Where failure details go (standard error by default); tests that feed hostile input quieten it.
void setFailureLogger(FailureLogger logger);

/// Turns a Result into the HRESULT an interface method returns, logging the detail of a failure once.
HRESULT reportFailure(const Error& error);
template <typename T> HRESULT toHresult(const Result<T>& result)
{
    return result ? S_OK : reportFailure(result.error());
}

} // namespace platform
