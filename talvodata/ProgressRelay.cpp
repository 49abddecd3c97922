#include "talvodata/ProgressRelay.h"

#include "interfaces/talvodata/DispIds.h"
#include "platform/com/ComObject.h"

namespace talvodata {

using platform::com::ComPtr;
using platform::com::ConnectionPoint;
using platform::com::Variant;

namespace {

/// The sink advised on the collection.
class ProgressSink final : public platform::com::ComObject<_IAimingCollectionEvents> {
public:
    explicit ProgressSink(ComPtr<ConnectionPoint> target) : m_target(std::move(target)) {}

    HRESULT Invoke(DISPID dispIdMember, REFIID /*riid*/, LCID /*lcid*/, WORD /*flags*/, DISPPARAMS* params,
                   VARIANT* /*result*/, EXCEPINFO* /*exceptionInfo*/, UINT* /*argumentError*/) override
    {
        if (dispIdMember != DISPID_AIMINGCOLLECTIONEVENTS_PROGRESS) {
            return DISP_E_MEMBERNOTFOUND;
        }
        if (!params || params->cArgs != 2 || !params->rgvarg) {
            return DISP_E_BADPARAMCOUNT;
        }
        // Automation passes arguments last first.
        Variant done = Variant::copyOf(params->rgvarg[1]);
        Variant total = Variant::copyOf(params->rgvarg[0]);
        RETURN_IF_FAILED(done.changeType(VT_I4));
        RETURN_IF_FAILED(total.changeType(VT_I4));
        fireProgress(*m_target, done.get().lVal, total.get().lVal);
        return S_OK;
    }

private:
    ~ProgressSink() override = default;

    ComPtr<ConnectionPoint> m_target;
};

} // namespace

void fireProgress(const ConnectionPoint& point, LONG done, LONG total)
{
    point.fire(DISPID_AIMINGCOLLECTIONEVENTS_PROGRESS, {Variant::fromInt32(done), Variant::fromInt32(total)});
}

ProgressRelayScope::ProgressRelayScope(IAimingCollection* source, ComPtr<ConnectionPoint> target)
{
    ComPtr<IAimingCollection> collection(source);
    auto container = collection.queryInterface<IConnectionPointContainer>();
    if (!container) {
        m_status = E_NOINTERFACE;
        return;
    }
    m_status = container->FindConnectionPoint(_IAimingCollectionEvents::kIid, m_sourcePoint.put());
    if (FAILED(m_status)) {
        return;
    }
    auto sink = platform::com::makeComObject<ProgressSink>(std::move(target));
    m_status = m_sourcePoint->Advise(sink->unknown(), &m_cookie);
}

ProgressRelayScope::~ProgressRelayScope()
{
    if (m_cookie != 0) {
        (void)m_sourcePoint->Unadvise(m_cookie); // The cookie came from this point: it cannot be unknown.
    }
}

} // namespace talvodata
