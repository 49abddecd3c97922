#include "talvodata/TalvoDocument.h"

#include "talvodata/AimingCollection.h"
#include "talvodata/CatalogPath.h"
#include "talvodata/DocumentSummary.h"
#include "talvodata/LegacyImport.h"
#include "talvodata/ProgressRelay.h"
#include "talvodata/UniqueName.h"

#include "platform/com/BufferedStream.h"
#include "platform/com/ClassTable.h"
#include "platform/com/StreamForms.h"
#include "platform/fs/AtomicWrite.h"
#include "platform/fs/Attributes.h"
#include "platform/fs/ReadFile.h"
#include "platform/storage/CompoundFile.h"
#include "platform/time/OleDate.h"

#include <filesystem>
#include <optional>

namespace talvodata {

using platform::com::Bstr;
using platform::com::ComPtr;
using platform::com::readBstr;
using platform::com::readGuid;
using platform::com::readInt32;
using platform::com::writeBstr;
using platform::com::writeInt32;
using platform::com::writeObject;

namespace {

constexpr char16_t kContents[] = u"Contents";

std::filesystem::path pathOf(const Bstr& name)
{
    return std::filesystem::path(name.toUtf8());
}

/// The shot that names a practice: its first match shot, else its first shot; null when it has none.
HRESULT referenceShot(IAimingCollection& aimings, ComPtr<IShot>& shot)
{
    ComPtr<IShotCollection> all;
    RETURN_IF_FAILED(aimings.get_Shots(VARIANT_TRUE, all.put()));
    ComPtr<IShotCollection> match;
    RETURN_IF_FAILED(all->get_Match(match.put()));
    for (IShotCollection* shots : {match.get(), all.get()}) {
        LONG count = 0;
        RETURN_IF_FAILED(shots->get_Count(&count));
        if (count > 0) {
            return shots->get_Item(1, shot.put());
        }
    }
    return S_OK;
}

} // namespace

CTalvoDocument::CTalvoDocument(ComPtr<IEventManager> events)
    : m_events(std::move(events)),
      m_progress(platform::com::makeComObject<platform::com::ConnectionPoint>(this, _ITalvoDocumentEvents::kIid))
{
    m_aimings = newCollection();
}

CTalvoDocument::~CTalvoDocument()
{
    m_progress->detachContainer();
}

platform::Result<ComPtr<CTalvoDocument>> CTalvoDocument::create()
{
    ComPtr<IEventManager> events;
    const HRESULT hr = CoCreateInstance(CLSID_EventManager, nullptr, CLSCTX_ALL, IEventManager::kIid, events.putVoid());
    if (FAILED(hr)) {
        return platform::Error{hr, "the event manager cannot be made"};
    }
    return platform::com::makeComObject<CTalvoDocument>(std::move(events));
}

ComPtr<CAimingCollection> CTalvoDocument::newCollection() const
{
    // The document's own event manager serves its collections, so making one cannot fail.
    return platform::com::makeComObject<CAimingCollection>(m_events);
}

HRESULT CTalvoDocument::FindConnectionPoint(REFIID riid, IConnectionPoint** point)
{
    if (!point) {
        return E_POINTER;
    }
    *point = nullptr;
    if (riid != _ITalvoDocumentEvents::kIid) {
        return CONNECT_E_NOCONNECTION;
    }
    return ComPtr<IConnectionPoint>(m_progress).copyTo(point);
}

HRESULT CTalvoDocument::get_Value(BSTR bstrValue, VARIANT* pVal)
{
    auto guard = lock();
    return m_values.get(bstrValue, pVal);
}

HRESULT CTalvoDocument::put_Value(BSTR bstrValue, VARIANT newVal)
{
    auto guard = lock();
    bool changed = false; // The document keeps no dirty flag.
    return m_values.put(bstrValue, newVal, changed);
}

HRESULT CTalvoDocument::putref_Value(BSTR bstrValue, VARIANT newVal)
{
    return put_Value(bstrValue, newVal);
}

bool CTalvoDocument::isValid() const
{
    ComPtr<IEventParams> event;
    return m_valid && SUCCEEDED(m_aimings->get_Event(event.put())) && event;
}

HRESULT CTalvoDocument::get_Valid(VARIANT_BOOL* pVal)
{
    auto guard = lock();
    if (!pVal) {
        return E_POINTER;
    }
    *pVal = isValid() ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

HRESULT CTalvoDocument::get_ShooterName(BSTR* pVal)
{
    auto guard = lock();
    return m_shooterName.copyTo(pVal);
}

HRESULT CTalvoDocument::put_ShooterName(BSTR newVal)
{
    auto guard = lock();
    m_shooterName = Bstr::copyOf(newVal);
    return S_OK;
}

HRESULT CTalvoDocument::get_FileName(BSTR* pVal)
{
    auto guard = lock();
    return m_fileName.copyTo(pVal);
}

HRESULT CTalvoDocument::put_FileName(BSTR newVal)
{
    auto guard = lock();
    m_fileName = Bstr::copyOf(newVal);
    return S_OK;
}

HRESULT CTalvoDocument::get_Event(IEventParams** pVal)
{
    auto guard = lock();
    if (!pVal) {
        return E_POINTER;
    }
    return FAILED(m_aimings->get_Event(pVal)) ? E_FAIL : S_OK;
}

HRESULT CTalvoDocument::put_Event(IEventParams* newVal)
{
    auto guard = lock();
    if (!newVal) {
        return E_INVALIDARG;
    }
    return FAILED(m_aimings->put_Event(newVal)) ? E_FAIL : S_OK;
}

HRESULT CTalvoDocument::get_Aimings(IAimingCollection** pVal)
{
    auto guard = lock();
    return m_aimings.copyTo(pVal);
}

HRESULT CTalvoDocument::Clear()
{
    auto guard = lock();
    m_values.clear();
    m_aimings = newCollection();
    m_shooterName = Bstr();
    m_valid = true;
    return S_OK;
}

HRESULT CTalvoDocument::ClearShots()
{
    auto guard = lock();
    ComPtr<IEventParams> event;
    ComPtr<CAimingCollection> cleared = newCollection();
    if (SUCCEEDED(m_aimings->get_Event(event.put()))) {
        RETURN_IF_FAILED(cleared->put_Event(event.get()));
    }
    m_aimings = std::move(cleared);
    return S_OK;
}

HRESULT CTalvoDocument::ClearSightingShots()
{
    auto guard = lock();
    ComPtr<IAimingCollection> match;
    RETURN_IF_FAILED(m_aimings->get_Match(match.put()));
    m_aimings = std::move(match);
    return S_OK;
}

HRESULT CTalvoDocument::get_FileVersion(LONG* pVal)
{
    auto guard = lock();
    if (!pVal) {
        return E_POINTER;
    }
    *pVal = m_fileVersion;
    return S_OK;
}

HRESULT CTalvoDocument::get_ReadErrorMsg(BSTR* pVal)
{
    auto guard = lock();
    return m_readErrorMsg.copyTo(pVal);
}

HRESULT CTalvoDocument::get_CatalogPath(BSTR* pVal)
{
    if (!pVal) {
        return E_POINTER;
    }
    *pVal = Bstr(catalogPath()).detach();
    return S_OK;
}

HRESULT CTalvoDocument::writeContents(IStream* stream)
{
    if (FAILED(writeInt32(stream, kFileVersion)) || FAILED(writeBstr(stream, m_shooterName.get()))) {
        return E_FAIL;
    }
    RETURN_IF_FAILED(writeObject(stream, m_aimings.get()));
    return FAILED(m_values.save(stream)) ? E_FAIL : S_OK;
}

platform::Result<std::vector<std::uint8_t>> CTalvoDocument::fileBytes()
{
    ComPtr<IStorage> root = platform::storage::createCompoundFileInMemory();
    if (FAILED(root->SetClass(CLSID_TalvoDocument))) {
        return platform::Error{E_FAIL, "the document class cannot be set"};
    }
    ProgressRelayScope relay(m_aimings.get(), m_progress);
    ComPtr<IStream> contents;
    if (const HRESULT hr =
            root->CreateStream(kContents, STGM_CREATE | STGM_WRITE | STGM_SHARE_EXCLUSIVE, contents.put());
        FAILED(hr)) {
        return platform::Error{hr, "the stream \"Contents\" cannot be made"};
    }
    if (const HRESULT hr = writeContents(contents.get()); FAILED(hr)) {
        return platform::Error{hr, "the document cannot be written"};
    }
    contents.reset();
    // An invalid document lists as "other" whatever a summary says, so it gets none.
    if (isValid()) {
        DocumentSummary summary = summariseDocument(*this);
        summary.fileVersion = kFileVersion; // The version just written, not the one last read.
        ComPtr<IStream> saved;
        if (const HRESULT hr =
                root->CreateStream(kSummaryStream, STGM_CREATE | STGM_WRITE | STGM_SHARE_EXCLUSIVE, saved.put());
            FAILED(hr) || FAILED(writeSummary(saved.get(), summary))) {
            return platform::Error{FAILED(hr) ? hr : E_FAIL, "the practice summary cannot be written"};
        }
    }
    return platform::storage::compoundFileBytes(*root);
}

HRESULT CTalvoDocument::Save()
{
    auto guard = lock();
    if (m_fileName.isNull() || m_fileName.length() == 0) {
        return E_UNEXPECTED;
    }
    const std::filesystem::path path = pathOf(m_fileName);
    auto bytes = fileBytes();
    if (!bytes) {
        return toHresult(bytes);
    }
    if (auto readOnly = platform::fs::isReadOnly(path); readOnly && *readOnly) {
        if (!platform::fs::setReadOnly(path, platform::fs::ReadOnly::No)) {
            return E_FAIL;
        }
    }
    return toHresult(platform::fs::writeFileAtomically(path, *bytes, platform::fs::WriteMode::Replace));
}

HRESULT CTalvoDocument::SaveUnique(BSTR Folder)
{
    auto guard = lock();
    std::u16string folder(platform::com::viewOf(Folder));
    if (folder.empty()) {
        return E_INVALIDARG;
    }
    if (folder.back() != u'/') {
        folder.push_back(u'/');
    }
    std::u16string name = u"Untitled";
    std::string timeText;
    if (isValid()) {
        if (m_shooterName.length() > 0) {
            if (std::u16string cleaned = cleanShooterName(m_shooterName.view()); !cleaned.empty()) {
                name = std::move(cleaned);
            }
        }
        ComPtr<IShot> shot;
        RETURN_IF_FAILED(referenceShot(*m_aimings, shot));
        ComPtr<IAimingAttr> attributes;
        DATE entered = 0;
        std::optional<std::string> shotText;
        if (shot && SUCCEEDED(shot->get_Attr(attributes.put())) && SUCCEEDED(attributes->get_EnterTime(&entered))) {
            shotText = uniqueNameTime(entered);
        }
        // Without a shot, or with an enter time outside the calendar's range, the present names the file.
        timeText = shotText ? *shotText : uniqueNameTime(platform::time::nowLocal()).value_or("");
    }
    auto bytes = fileBytes();
    if (!bytes) {
        return toHresult(bytes);
    }
    constexpr int kMostSuffixes = 100000;
    for (int suffix = 0; suffix <= kMostSuffixes; ++suffix) {
        const std::string suffixText = suffix == 0 ? std::string() : "-" + std::to_string(suffix);
        const std::string path = platform::com::utf16ToUtf8(folder + name) + " " + timeText + suffixText + ".talvo";
        const platform::Status written =
            platform::fs::writeFileAtomically(path, *bytes, platform::fs::WriteMode::CreateOnly);
        if (written) {
            m_fileName = Bstr(std::string_view(path));
            return S_OK;
        }
        if (written.code() != STG_E_FILEALREADYEXISTS) {
            return toHresult(written);
        }
    }
    return STG_E_FILEALREADYEXISTS;
}

HRESULT CTalvoDocument::Load()
{
    auto guard = lock();
    m_readErrorMsg = Bstr();
    RETURN_IF_FAILED(Clear());
    m_valid = false;
    const std::filesystem::path path = pathOf(m_fileName);
    auto compound = platform::storage::isCompoundFile(path);
    const HRESULT hr = compound && *compound ? loadCompoundFile() : importLegacyFile();
    m_valid = SUCCEEDED(hr);
    return hr;
}

HRESULT CTalvoDocument::loadCompoundFile()
{
    auto root = platform::storage::openCompoundFile(pathOf(m_fileName));
    if (!root) {
        (void)toHresult(root); // Logs the detail; the caller learns E_FAIL.
        return E_FAIL;
    }
    STATSTG stat{};
    if (FAILED((*root)->Stat(&stat, STATFLAG_NONAME)) || stat.clsid != CLSID_TalvoDocument) {
        return E_FAIL;
    }
    ProgressRelayScope relay(m_aimings.get(), m_progress);
    ComPtr<IStream> contents;
    if (FAILED((*root)->OpenStream(kContents, STGM_READ | STGM_SHARE_EXCLUSIVE, contents.put()))) {
        return E_FAIL;
    }
    // The records are read field by field: through a buffer, a field costs no call into the compound file.
    auto buffered = platform::com::BufferedStream::create(std::move(contents));
    if (!buffered) {
        (void)toHresult(buffered); // Logs the detail; the caller learns E_FAIL.
        return E_FAIL;
    }
    return readContents(buffered->get());
}

HRESULT CTalvoDocument::readContents(IStream* stream)
{
    std::int32_t version = 0;
    if (FAILED(readInt32(stream, version))) {
        return E_FAIL;
    }
    m_fileVersion = version;
    GUID collectionClass{};
    if (version < 0 || version > kFileVersion || FAILED(readBstr(stream, m_shooterName)) ||
        FAILED(readGuid(stream, collectionClass))) {
        return E_FAIL;
    }
    auto persist = m_aimings.queryInterface<IPersistStreamInit>();
    if (FAILED(persist->Load(stream))) {
        (void)m_aimings->get_ReadErrorMsg(m_readErrorMsg.put()); // A failure leaves the message null.
        return E_FAIL;
    }
    if (version >= 2 && FAILED(m_values.load(stream))) {
        return E_FAIL;
    }
    return S_OK;
}

HRESULT CTalvoDocument::importLegacyFile()
{
    // Any file that is no compound file ends up here: its head is looked at before the whole is read, and the
    // whole is bounded.
    const std::filesystem::path path = pathOf(m_fileName);
    auto head = platform::fs::readFileStart(path, kLegacyHeadSize);
    if (!head || !looksLikeLegacyPractice(*head)) {
        return E_FAIL;
    }
    auto bytes = platform::fs::readWholeFile(path, kLargestLegacyFile);
    if (!bytes) {
        (void)toHresult(bytes); // Logs the detail; the caller learns E_FAIL.
        return E_FAIL;
    }
    LegacyImportTarget target{*this, *m_events, [this](std::int32_t version) { m_fileVersion = version; },
                              [this](LONG done, LONG total) { fireProgress(*m_progress, done, total); }};
    return importLegacyPractice(*bytes, target);
}

} // namespace talvodata
