#pragma once

#include "interfaces/talvodata/Guids.h"
#include "interfaces/talvodata/IAimingCollection.h"

#include "platform/com/Bstr.h"
#include "platform/com/Dispatch.h"

struct IEventParams;

/// One practice: shooter, event, aimings, named values and the file it lives in. Events leave through
/// _ITalvoDocumentEvents.
struct ITalvoDocument : IDispatch {
    using Base = IDispatch;
    static constexpr IID kIid = talvodata::IID_ITalvoDocument;

    virtual HRESULT get_Value(BSTR bstrValue, VARIANT* pVal) = 0;
    virtual HRESULT put_Value(BSTR bstrValue, VARIANT newVal) = 0;
    virtual HRESULT putref_Value(BSTR bstrValue, VARIANT newVal) = 0;
    /// VARIANT_TRUE once the document has an event and the last load did not fail.
    virtual HRESULT get_Valid(VARIANT_BOOL* pVal) = 0;
    virtual HRESULT get_ShooterName(BSTR* pVal) = 0;
    virtual HRESULT put_ShooterName(BSTR newVal) = 0;
    virtual HRESULT get_FileName(BSTR* pVal) = 0;
    virtual HRESULT put_FileName(BSTR newVal) = 0;
    /// E_FAIL while the aimings have no event.
    virtual HRESULT get_Event(IEventParams** pVal) = 0;
    /// E_INVALIDARG for null; E_FAIL when the aimings refuse it.
    virtual HRESULT put_Event(IEventParams* newVal) = 0;
    virtual HRESULT get_Aimings(IAimingCollection** pVal) = 0;
    /// Empties everything but the file name, the file version and the read error.
    virtual HRESULT Clear() = 0;
    /// Keeps only the match aimings.
    virtual HRESULT ClearSightingShots() = 0;
    /// Writes the document to FileName; fails when there is none.
    virtual HRESULT Save() = 0;
    /// Reads FileName: a compound document file or the older flat practice file.
    virtual HRESULT Load() = 0;
    virtual HRESULT get_FileVersion(LONG* pVal) = 0;
    /// Removes every aiming; the event stays.
    virtual HRESULT ClearShots() = 0;
    /// Saves under a new name in Folder (shooter, enter time of the first match shot, "-n" when taken) and makes
    /// that the FileName. E_INVALIDARG for a null or empty folder.
    virtual HRESULT SaveUnique(BSTR Folder) = 0;
    /// The catalog folder, always ending with a separator.
    virtual HRESULT get_CatalogPath(BSTR* pVal) = 0;
    virtual HRESULT get_ReadErrorMsg(BSTR* pVal) = 0;

protected:
    ~ITalvoDocument() = default;
};

/// The source interface of a document, called through IDispatch::Invoke: Progress(Done, Total) with two VT_I4
/// arguments, DISPID_TALVODOCUMENTEVENTS_PROGRESS.
struct _ITalvoDocumentEvents : IDispatch {
    using Base = IDispatch;
    static constexpr IID kIid = talvodata::DIID__ITalvoDocumentEvents;

protected:
    ~_ITalvoDocumentEvents() = default;
};
