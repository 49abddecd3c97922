#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>

// The Windows result vocabulary, with the Windows values: callers and stored files rely on them.
// HRESULT is a [[nodiscard]] type, so a dropped result is a compiler warning.
// Version 14 of clang-format reads the empty enumerator list as a braced initialiser.
// clang-format off
enum [[nodiscard]] HRESULT : std::int32_t {};
// clang-format on

constexpr HRESULT makeHresult(std::uint32_t value)
{
    return static_cast<HRESULT>(static_cast<std::int32_t>(value));
}

inline constexpr HRESULT S_OK = makeHresult(0);
inline constexpr HRESULT S_FALSE = makeHresult(1);
inline constexpr HRESULT E_NOTIMPL = makeHresult(0x80004001);
inline constexpr HRESULT E_NOINTERFACE = makeHresult(0x80004002);
inline constexpr HRESULT E_POINTER = makeHresult(0x80004003);
inline constexpr HRESULT E_ABORT = makeHresult(0x80004004);
inline constexpr HRESULT E_FAIL = makeHresult(0x80004005);
inline constexpr HRESULT E_UNEXPECTED = makeHresult(0x8000FFFF);
inline constexpr HRESULT E_ACCESSDENIED = makeHresult(0x80070005);
inline constexpr HRESULT E_OUTOFMEMORY = makeHresult(0x8007000E);
inline constexpr HRESULT E_INVALIDARG = makeHresult(0x80070057);
inline constexpr HRESULT CLASS_E_NOAGGREGATION = makeHresult(0x80040110);
inline constexpr HRESULT CLASS_E_CLASSNOTAVAILABLE = makeHresult(0x80040111);
inline constexpr HRESULT REGDB_E_CLASSNOTREG = makeHresult(0x80040154);
inline constexpr HRESULT CO_E_NOTINITIALIZED = makeHresult(0x800401F0);
inline constexpr HRESULT CO_E_CLASSSTRING = makeHresult(0x800401F3);
inline constexpr HRESULT CONNECT_E_NOCONNECTION = makeHresult(0x80040200);
inline constexpr HRESULT CONNECT_E_ADVISELIMIT = makeHresult(0x80040201);
inline constexpr HRESULT CONNECT_E_CANNOTCONNECT = makeHresult(0x80040202);
inline constexpr HRESULT DISP_E_UNKNOWNINTERFACE = makeHresult(0x80020001);
inline constexpr HRESULT DISP_E_MEMBERNOTFOUND = makeHresult(0x80020003);
inline constexpr HRESULT DISP_E_PARAMNOTFOUND = makeHresult(0x80020004);
inline constexpr HRESULT DISP_E_TYPEMISMATCH = makeHresult(0x80020005);
inline constexpr HRESULT DISP_E_UNKNOWNNAME = makeHresult(0x80020006);
inline constexpr HRESULT DISP_E_BADVARTYPE = makeHresult(0x80020008);
inline constexpr HRESULT DISP_E_EXCEPTION = makeHresult(0x80020009);
inline constexpr HRESULT DISP_E_OVERFLOW = makeHresult(0x8002000A);
inline constexpr HRESULT DISP_E_BADINDEX = makeHresult(0x8002000B);
inline constexpr HRESULT DISP_E_BADPARAMCOUNT = makeHresult(0x8002000E);
inline constexpr HRESULT STG_E_INVALIDFUNCTION = makeHresult(0x80030001);
inline constexpr HRESULT STG_E_FILENOTFOUND = makeHresult(0x80030002);
inline constexpr HRESULT STG_E_PATHNOTFOUND = makeHresult(0x80030003);
inline constexpr HRESULT STG_E_ACCESSDENIED = makeHresult(0x80030005);
inline constexpr HRESULT STG_E_INVALIDHANDLE = makeHresult(0x80030006);
inline constexpr HRESULT STG_E_INSUFFICIENTMEMORY = makeHresult(0x80030008);
inline constexpr HRESULT STG_E_INVALIDPOINTER = makeHresult(0x80030009);
inline constexpr HRESULT STG_E_WRITEFAULT = makeHresult(0x8003001D);
inline constexpr HRESULT STG_E_READFAULT = makeHresult(0x8003001E);
inline constexpr HRESULT STG_E_FILEALREADYEXISTS = makeHresult(0x80030050);
inline constexpr HRESULT STG_E_INVALIDPARAMETER = makeHresult(0x80030057);
inline constexpr HRESULT STG_E_MEDIUMFULL = makeHresult(0x80030070);
inline constexpr HRESULT STG_E_INVALIDHEADER = makeHresult(0x800300FB);
inline constexpr HRESULT STG_E_INVALIDNAME = makeHresult(0x800300FC);
inline constexpr HRESULT STG_E_UNKNOWN = makeHresult(0x800300FD);
inline constexpr HRESULT STG_E_INVALIDFLAG = makeHresult(0x800300FF);
inline constexpr HRESULT STG_E_DOCFILECORRUPT = makeHresult(0x80030109);
inline constexpr HRESULT STG_E_OLDFORMAT = makeHresult(0x80030104);
inline constexpr HRESULT STG_S_CONVERTED = makeHresult(0x00030200);

constexpr bool SUCCEEDED(HRESULT hr)
{
    return hr >= 0;
}
constexpr bool FAILED(HRESULT hr)
{
    return hr < 0;
}

// The only macro allowed to hide a return.
#define RETURN_IF_FAILED(expr)                                                                                         \
    do {                                                                                                               \
        const HRESULT hrReturnIfFailed_ = (expr);                                                                      \
        if (FAILED(hrReturnIfFailed_)) {                                                                               \
            return hrReturnIfFailed_;                                                                                  \
        }                                                                                                              \
    } while (false)

namespace platform::com {

/// The symbolic name of a known result ("E_FAIL"), or its hexadecimal value.
std::string hresultName(HRESULT hr);

} // namespace platform::com

// GoogleTest finds this by argument-dependent lookup, so an EXPECT_EQ on results prints their names. It sits beside
// HRESULT so that every file printing one sees it: a printer chosen differently in two files breaks the ODR.
void PrintTo(HRESULT hr, std::ostream* out);
