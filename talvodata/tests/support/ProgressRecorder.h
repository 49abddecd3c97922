#pragma once

#include "platform/com/ComObject.h"
#include "platform/com/ComPtr.h"
#include "platform/com/ConnectionPoint.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace talvodata::testsupport {

/// A dispatch sink that records every Progress(Done, Total) it is sent.
class ProgressRecorder final : public platform::com::ComObject<IDispatch> {
public:
    std::vector<std::pair<LONG, LONG>> calls;

    HRESULT Invoke(DISPID dispIdMember, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                   UINT*) override
    {
        EXPECT_EQ(1, dispIdMember);
        EXPECT_EQ(DISPATCH_METHOD, flags);
        EXPECT_EQ(2u, params->cArgs);
        EXPECT_EQ(VT_I4, params->rgvarg[0].vt);
        calls.emplace_back(params->rgvarg[1].lVal, params->rgvarg[0].lVal);
        return S_OK;
    }

private:
    ~ProgressRecorder() override = default;
};

/// Advises a recorder on `source`'s connection point for `events` for the life of the object.
class ProgressAdvice {
public:
    ProgressAdvice(IUnknown* source, REFIID events) : m_recorder(platform::com::makeComObject<ProgressRecorder>())
    {
        platform::com::ComPtr<IConnectionPointContainer> container;
        EXPECT_EQ(S_OK, source->QueryInterface(IConnectionPointContainer::kIid, container.putVoid()));
        EXPECT_EQ(S_OK, container->FindConnectionPoint(events, m_point.put()));
        EXPECT_EQ(S_OK, m_point->Advise(m_recorder->unknown(), &m_cookie));
    }
    ~ProgressAdvice() { EXPECT_EQ(S_OK, m_point->Unadvise(m_cookie)); }
    ProgressAdvice(const ProgressAdvice&) = delete;
    ProgressAdvice& operator=(const ProgressAdvice&) = delete;

    const std::vector<std::pair<LONG, LONG>>& calls() const { return m_recorder->calls; }

private:
    platform::com::ComPtr<ProgressRecorder> m_recorder;
    platform::com::ComPtr<IConnectionPoint> m_point;
    DWORD m_cookie = 0;
};

} // namespace talvodata::testsupport
