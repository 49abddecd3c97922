#pragma once

#include "interfaces/talvodata/IAimingTrace.h"
#include "interfaces/talvodata/IShot.h"

namespace talvodesk {

/// Where the practice engine sends live data for outside programs.
class ILiveDataPoster {
public:
    virtual ~ILiveDataPoster() = default;

    virtual void PostState(int state) = 0;
    /// The last `count` samples of the trace, to the clients that follow every point.
    virtual void PostPoints(IAimingTrace* trace, long count) = 0;
    virtual void PostShot(IShot* shot) = 0;
    virtual void PostHeartBeat() = 0;
};

} // namespace talvodesk
