#pragma once

#include "interfaces/talvodata/Guids.h"
#include "interfaces/talvodata/IAiming.h"
#include "interfaces/talvodata/IShot.h"
#include "interfaces/talvodata/IShotCollection.h"

#include "platform/com/Bstr.h"
#include "platform/com/Dispatch.h"

struct IEventParams;

/// The ordered aimings of one practice, all of one event, sighting aimings ahead of match aimings. Aimings count
/// from 1. Events leave through _IAimingCollectionEvents.
struct IAimingCollection : IDispatch {
    using Base = IDispatch;
    static constexpr IID kIid = talvodata::IID_IAimingCollection;

    /// *pVal must hold null (else E_POINTER); outside 1..Count: E_INVALIDARG.
    virtual HRESULT get_Item(LONG nIndex, IAiming** pVal) = 0;
    virtual HRESULT get_Count(LONG* pVal) = 0;
    /// E_UNEXPECTED while no event is set.
    virtual HRESULT get_Event(IEventParams** pVal) = 0;
    /// E_INVALIDARG for null.
    virtual HRESULT put_Event(IEventParams* newVal) = 0;
    /// A new shot collection of every shot, aiming by aiming; hidden shots only when IncludeHidden is non-zero.
    virtual HRESULT get_Shots(VARIANT_BOOL IncludeHidden, IShotCollection** pVal) = 0;
    /// E_INVALIDARG for null or an aiming of another event; an aiming already held is S_OK and not added again.
    virtual HRESULT Add(IAiming* Aiming) = 0;
    virtual HRESULT get_Sighting(IAimingCollection** pVal) = 0;
    virtual HRESULT get_Match(IAimingCollection** pVal) = 0;
    /// The first aiming holding that very shot; S_OK with null when none does.
    virtual HRESULT FindAiming(IShot* Shot, IAiming** pVal) = 0;
    /// A new aiming with one missed shot, timed now, added and returned. E_UNEXPECTED without an event.
    virtual HRESULT AddMissed(VARIANT_BOOL Match, IAiming** pVal) = 0;
    /// An IEnumVARIANT of VT_DISPATCH aimings over a copy of the list.
    virtual HRESULT get__NewEnum(IUnknown** pVal) = 0;
    /// Why the last load failed, when known; null otherwise.
    virtual HRESULT get_ReadErrorMsg(BSTR* pVal) = 0;

protected:
    ~IAimingCollection() = default;
};

/// The source interface of an aiming collection, called through IDispatch::Invoke:
/// Progress(Done, Total) with two VT_I4 arguments, DISPID_AIMINGCOLLECTIONEVENTS_PROGRESS.
struct _IAimingCollectionEvents : IDispatch {
    using Base = IDispatch;
    static constexpr IID kIid = talvodata::DIID__IAimingCollectionEvents;

protected:
    ~_IAimingCollectionEvents() = default;
};
