#pragma once

#include "interfaces/talvodata/IAimingCollection.h"
#include "platform/com/ComPtr.h"
#include "platform/com/ConnectionPoint.h"

namespace talvodata {

/// Fires `Progress(Done, Total)` on a connection point; both the collection and the document send it.
void fireProgress(const platform::com::ConnectionPoint& point, LONG done, LONG total);

/// For the length of a save or load, passes every Progress of an aiming collection on, unchanged, to another
/// connection point. The relay holds the target point, never its owner, so no cycle forms.
/// Thread rule: the caller's thread; events arrive synchronously on it.
class ProgressRelayScope {
public:
    ProgressRelayScope(IAimingCollection* source, platform::com::ComPtr<platform::com::ConnectionPoint> target);
    ~ProgressRelayScope();
    ProgressRelayScope(const ProgressRelayScope&) = delete;
    ProgressRelayScope& operator=(const ProgressRelayScope&) = delete;

    /// The failure to advise the source, S_OK when relaying.
    HRESULT status() const { return m_status; }

private:
    platform::com::ComPtr<IConnectionPoint> m_sourcePoint;
    DWORD m_cookie = 0;
    HRESULT m_status = S_OK;
};

} // namespace talvodata
