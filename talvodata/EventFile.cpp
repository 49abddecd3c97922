#include "talvodata/EventFile.h"

#include "talvodata/EventParams.h"

#include "platform/com/StreamForms.h"
#include "platform/fs/Attributes.h"
#include "platform/storage/CompoundFile.h"

#include <system_error>

namespace talvodata {

using platform::Error;
using platform::Result;
using platform::com::ComPtr;
using platform::com::readGuid;
using platform::com::writeObject;

namespace {

constexpr const OLECHAR* kContents = u"Contents";

} // namespace

HRESULT writeEventContents(IStorage& root, IUnknown* event)
{
    ComPtr<IStream> stream;
    RETURN_IF_FAILED(root.CreateStream(kContents, STGM_CREATE | STGM_WRITE | STGM_SHARE_EXCLUSIVE, stream.put()));
    return writeObject(stream.get(), event);
}

HRESULT writeEventFile(const std::filesystem::path& path, IUnknown* event)
{
    std::error_code error;
    if (std::filesystem::exists(path, error)) {
        const auto readOnly = platform::fs::isReadOnly(path);
        if (!readOnly) {
            return platform::toHresult(readOnly);
        }
        if (readOnly.value()) {
            const auto cleared = platform::fs::setReadOnly(path, platform::fs::ReadOnly::No);
            if (!cleared) {
                return platform::toHresult(cleared);
            }
        }
    }
    auto root = platform::storage::createCompoundFile(path, platform::storage::CreateMode::CreateOrReplace);
    if (!root) {
        return platform::toHresult(root);
    }
    if (const HRESULT hr = writeEventContents(*root.value(), event); FAILED(hr)) {
        (void)root.value()->Revert(); // Nothing was committed yet; the release must not write half a file.
        return hr;
    }
    return root.value()->Commit(STGC_DEFAULT);
}

Result<ComPtr<CEventParams>> readEventContents(IStorage& root)
{
    ComPtr<IStream> stream;
    if (const HRESULT hr = root.OpenStream(kContents, STGM_READ | STGM_SHARE_EXCLUSIVE, stream.put()); FAILED(hr)) {
        return Error{hr, "no stream \"Contents\""};
    }
    CLSID classId{};
    if (FAILED(readGuid(stream.get(), classId)) || classId != CLSID_EventParams) {
        return Error{E_FAIL, "the stream does not hold an event"};
    }
    auto event = CEventParams::create();
    if (const HRESULT hr = event->Load(stream.get()); FAILED(hr)) {
        return Error{hr, "the event record does not load"};
    }
    return event;
}

Result<ComPtr<CEventParams>> readEventFile(const std::filesystem::path& path)
{
    const auto compound = platform::storage::isCompoundFile(path);
    if (!compound) {
        return compound.error();
    }
    if (!compound.value()) {
        return Error{STG_E_INVALIDHEADER, path.string() + " is not a compound file"};
    }
    auto root = platform::storage::openCompoundFile(path);
    if (!root) {
        return root.error();
    }
    return readEventContents(*root.value());
}

} // namespace talvodata
