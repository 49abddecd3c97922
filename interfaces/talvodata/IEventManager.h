#pragma once

#include "interfaces/talvodata/Guids.h"
#include "interfaces/talvodata/IEventParams.h"

#include "platform/com/Dispatch.h"

/// Every shooting event known to the process: one list, read once from the event-definition files.
/// Searches that find nothing answer S_FALSE with a null event.
struct IEventManager : IDispatch {
    using Base = IDispatch;
    static constexpr IID kIid = talvodata::IID_IEventManager;

    /// Events count from 1. *pVal must hold null (else E_POINTER); outside 1..Count: E_INVALIDARG.
    virtual HRESULT get_Item(LONG nIndex, IEventParams** pVal) = 0;
    virtual HRESULT get_Count(LONG* pVal) = 0;
    /// A new event with one face, appended to the list; neither saved nor checked for a duplicate.
    virtual HRESULT Add(BSTR ShortName, IEventParams** pVal) = 0;
    /// The first event whose Name equals Name exactly.
    virtual HRESULT Find(BSTR Name, IEventParams** pVal) = 0;
    /// The first event whose ShortName, or one token of its comma-separated "synonym" value, equals ShortName.
    virtual HRESULT FindByShortName(BSTR ShortName, IEventParams** pVal) = 0;
    /// An IEnumVARIANT of VT_DISPATCH events over a copy of the list.
    virtual HRESULT get__NewEnum(IUnknown** pVal) = 0;

protected:
    ~IEventManager() = default;
};
