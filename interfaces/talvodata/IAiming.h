#pragma once

#include "interfaces/talvodata/Guids.h"
#include "interfaces/talvodata/IAimingAttr.h"
#include "interfaces/talvodata/IAimingTrace.h"
#include "interfaces/talvodata/IRange.h"
#include "interfaces/talvodata/IShot.h"

#include "platform/com/Dispatch.h"

/// One aiming of a practice: its attributes, its trace and the shots fired during it (numbered from 1).
struct IAiming : IDispatch {
    using Base = IDispatch;
    static constexpr IID kIid = talvodata::IID_IAiming;

    virtual HRESULT get_Attr(IAimingAttr** pVal) = 0;
    virtual HRESULT get_Trace(IAimingTrace** pVal) = 0;
    virtual HRESULT get_ShotCount(LONG* pVal) = 0;
    virtual HRESULT get_Shot(LONG nShot, IShot** pVal) = 0;
    virtual HRESULT AddShot(VARIANT_BOOL Missed, IShot** pVal) = 0;
    /// Seconds around the reference sample; (0, 0) keeps the whole trace.
    virtual HRESULT Range(float First, float Last, IRange** pVal) = 0;
    virtual HRESULT AddShot2(VARIANT_BOOL Missed, double microphonePhase, IShot** pVal) = 0;
    /// An IEnumVARIANT over the shots as VT_DISPATCH values.
    virtual HRESULT get__NewEnum(IUnknown** pVal) = 0;

protected:
    ~IAiming() = default;
};
