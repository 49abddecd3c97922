#pragma once

#include "talvodata/NamedValues.h"

#include "interfaces/talvodata/IEventManager.h"
#include "interfaces/talvodata/ITalvoDocument.h"
#include "platform/com/ClassInfo.h"
#include "platform/com/ComObject.h"
#include "platform/com/ComPtr.h"
#include "platform/com/ConnectionPoint.h"
#include "platform/com/Result.h"

#include <cstdint>
#include <vector>

namespace talvodata {

class CAimingCollection;

/// One practice and its file: a compound file whose root carries this class's identifier, whose stream "Contents"
/// holds the version, the shooter, the aimings and the named values, and whose stream "Summary" holds what a
/// catalog lists of it (DocumentSummary.h). Older flat practice files are
/// read as well. Saves go through a temporary file, so a failed save never damages the file it was to replace.
/// Thread rule: any thread; every method holds the object's lock, and Progress sinks are called with it held.
class CTalvoDocument final : public platform::com::ComObject<
                                 ITalvoDocument, IConnectionPointContainer,
                                 platform::com::ProvidesClassInfo<IProvideClassInfo2, DIID__ITalvoDocumentEvents>> {
public:
    explicit CTalvoDocument(platform::com::ComPtr<IEventManager> events);
    /// Fails when the event manager cannot be made.
    static platform::Result<platform::com::ComPtr<CTalvoDocument>> create();

    HRESULT get_Value(BSTR bstrValue, VARIANT* pVal) override;
    HRESULT put_Value(BSTR bstrValue, VARIANT newVal) override;
    HRESULT putref_Value(BSTR bstrValue, VARIANT newVal) override;
    HRESULT get_Valid(VARIANT_BOOL* pVal) override;
    HRESULT get_ShooterName(BSTR* pVal) override;
    HRESULT put_ShooterName(BSTR newVal) override;
    HRESULT get_FileName(BSTR* pVal) override;
    HRESULT put_FileName(BSTR newVal) override;
    HRESULT get_Event(IEventParams** pVal) override;
    HRESULT put_Event(IEventParams* newVal) override;
    HRESULT get_Aimings(IAimingCollection** pVal) override;
    HRESULT Clear() override;
    HRESULT ClearSightingShots() override;
    /// E_UNEXPECTED without a file name; the file errors of platform::fs::writeFileAtomically.
    HRESULT Save() override;
    HRESULT Load() override;
    HRESULT get_FileVersion(LONG* pVal) override;
    HRESULT ClearShots() override;
    HRESULT SaveUnique(BSTR Folder) override;
    HRESULT get_CatalogPath(BSTR* pVal) override;
    HRESULT get_ReadErrorMsg(BSTR* pVal) override;

    HRESULT FindConnectionPoint(REFIID riid, IConnectionPoint** point) override;

    static constexpr std::int32_t kFileVersion = 10;

private:
    ~CTalvoDocument() override;

    platform::com::ComPtr<CAimingCollection> newCollection() const;
    bool isValid() const;
    /// The bytes of the document file, written through an in-memory compound file.
    platform::Result<std::vector<std::uint8_t>> fileBytes();
    HRESULT writeContents(IStream* stream);
    HRESULT loadCompoundFile();
    HRESULT readContents(IStream* stream);
    HRESULT importLegacyFile();

    platform::com::ComPtr<IEventManager> m_events;
    platform::com::ComPtr<IAimingCollection> m_aimings;
    NamedValues m_values;
    platform::com::Bstr m_shooterName;
    platform::com::Bstr m_fileName;
    platform::com::Bstr m_readErrorMsg;
    std::int32_t m_fileVersion = kFileVersion;
    bool m_valid = true;
    platform::com::ComPtr<platform::com::ConnectionPoint> m_progress;
};

} // namespace talvodata
