#include "platform/com/HResult.h"

#include <array>
#include <cstdio>
#include <ostream>
#include <utility>

namespace platform::com {

std::string hresultName(HRESULT hr)
{
#define TALVO_HR_NAME(code) std::pair<HRESULT, const char*>(code, #code)
    static constexpr std::array kNames{
        TALVO_HR_NAME(S_OK),
        TALVO_HR_NAME(S_FALSE),
        TALVO_HR_NAME(E_NOTIMPL),
        TALVO_HR_NAME(E_NOINTERFACE),
        TALVO_HR_NAME(E_POINTER),
        TALVO_HR_NAME(E_ABORT),
        TALVO_HR_NAME(E_FAIL),
        TALVO_HR_NAME(E_UNEXPECTED),
        TALVO_HR_NAME(E_ACCESSDENIED),
        TALVO_HR_NAME(E_OUTOFMEMORY),
        TALVO_HR_NAME(E_INVALIDARG),
        TALVO_HR_NAME(CLASS_E_NOAGGREGATION),
        TALVO_HR_NAME(CLASS_E_CLASSNOTAVAILABLE),
        TALVO_HR_NAME(REGDB_E_CLASSNOTREG),
        TALVO_HR_NAME(CO_E_NOTINITIALIZED),
        TALVO_HR_NAME(CO_E_CLASSSTRING),
        TALVO_HR_NAME(CONNECT_E_NOCONNECTION),
        TALVO_HR_NAME(CONNECT_E_ADVISELIMIT),
        TALVO_HR_NAME(CONNECT_E_CANNOTCONNECT),
        TALVO_HR_NAME(DISP_E_UNKNOWNINTERFACE),
        TALVO_HR_NAME(DISP_E_MEMBERNOTFOUND),
        TALVO_HR_NAME(DISP_E_PARAMNOTFOUND),
        TALVO_HR_NAME(DISP_E_TYPEMISMATCH),
        TALVO_HR_NAME(DISP_E_UNKNOWNNAME),
        TALVO_HR_NAME(DISP_E_BADVARTYPE),
        TALVO_HR_NAME(DISP_E_EXCEPTION),
        TALVO_HR_NAME(DISP_E_OVERFLOW),
        TALVO_HR_NAME(DISP_E_BADINDEX),
        TALVO_HR_NAME(DISP_E_BADPARAMCOUNT),
        TALVO_HR_NAME(STG_E_INVALIDFUNCTION),
        TALVO_HR_NAME(STG_E_FILENOTFOUND),
        TALVO_HR_NAME(STG_E_PATHNOTFOUND),
        TALVO_HR_NAME(STG_E_ACCESSDENIED),
        TALVO_HR_NAME(STG_E_INVALIDHANDLE),
        TALVO_HR_NAME(STG_E_INSUFFICIENTMEMORY),
        TALVO_HR_NAME(STG_E_INVALIDPOINTER),
        TALVO_HR_NAME(STG_E_WRITEFAULT),
        TALVO_HR_NAME(STG_E_READFAULT),
        TALVO_HR_NAME(STG_E_FILEALREADYEXISTS),
        TALVO_HR_NAME(STG_E_INVALIDPARAMETER),
        TALVO_HR_NAME(STG_E_MEDIUMFULL),
        TALVO_HR_NAME(STG_E_INVALIDHEADER),
        TALVO_HR_NAME(STG_E_INVALIDNAME),
        TALVO_HR_NAME(STG_E_UNKNOWN),
        TALVO_HR_NAME(STG_E_INVALIDFLAG),
        TALVO_HR_NAME(STG_E_DOCFILECORRUPT),
        TALVO_HR_NAME(STG_E_OLDFORMAT),
        TALVO_HR_NAME(STG_S_CONVERTED),
    };
#undef TALVO_HR_NAME
    for (const auto& [code, name] : kNames) {
        if (code == hr) {
            return name;
        }
    }
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(hr));
    return text;
}

} // namespace platform::com

void PrintTo(HRESULT hr, std::ostream* out)
{
    *out << platform::com::hresultName(hr);
}
