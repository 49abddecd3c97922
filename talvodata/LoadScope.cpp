#include "talvodata/LoadScope.h"

#include "platform/com/StreamForms.h"

namespace talvodata {

using platform::com::bytesLeft;

namespace {

struct LoadState {
    int depth = 0;
    std::uint64_t samplesLeft = 0;
};

thread_local LoadState t_load;

} // namespace

LoadScope::LoadScope(IStream* stream)
{
    if (t_load.depth++ == 0) {
        std::uint64_t bytes = 0;
        t_load.samplesLeft = kFreeSamples + (SUCCEEDED(bytesLeft(stream, bytes)) ? bytes : 0);
    }
}

LoadScope::~LoadScope()
{
    --t_load.depth;
}

bool LoadScope::withinDepth() const
{
    return t_load.depth <= kMaxDepth;
}

bool LoadScope::claimSamples(std::uint64_t samples)
{
    if (samples > t_load.samplesLeft) {
        return false;
    }
    t_load.samplesLeft -= samples;
    return true;
}

} // namespace talvodata
