#include "platform/com/ConnectionPoint.h"

#include "platform/com/EnumVariant.h"
#include "platform/testing/Matchers.h"

#include <functional>

using namespace platform::com;

namespace {

constexpr IID kEvents = makeGuid("7C000000-0000-4000-8000-000000000001");

class RecordingSink final : public ComObject<IDispatch> {
public:
    std::vector<std::pair<DISPID, std::vector<std::int32_t>>> calls;
    std::function<void()> onCall;

    HRESULT Invoke(DISPID dispId, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT*, EXCEPINFO*, UINT*) override
    {
        EXPECT_EQ(DISPATCH_METHOD, flags);
        std::vector<std::int32_t> arguments;
        for (UINT i = params->cArgs; i > 0; --i) {
            arguments.push_back(params->rgvarg[i - 1].lVal);
        }
        calls.emplace_back(dispId, arguments);
        if (onCall) {
            onCall();
        }
        return S_OK;
    }

private:
    ~RecordingSink() override = default;
};

TEST(ConnectionPointTest, FiresToEverySinkWithArgumentsInCallOrder)
{
    auto point = makeComObject<ConnectionPoint>(nullptr, kEvents);
    auto first = makeComObject<RecordingSink>();
    auto second = makeComObject<RecordingSink>();
    DWORD firstCookie = 0;
    DWORD secondCookie = 0;
    ASSERT_HR(S_OK, point->Advise(first->unknown(), &firstCookie));
    ASSERT_HR(S_OK, point->Advise(second->unknown(), &secondCookie));
    EXPECT_NE(0u, firstCookie);
    EXPECT_NE(firstCookie, secondCookie);

    point->fire(1, {Variant::fromInt32(3), Variant::fromInt32(10)});
    ASSERT_EQ(1u, first->calls.size());
    EXPECT_EQ(1, first->calls[0].first);
    EXPECT_EQ((std::vector<std::int32_t>{3, 10}), first->calls[0].second);
    EXPECT_EQ(1u, second->calls.size());

    ASSERT_HR(S_OK, point->Unadvise(firstCookie));
    EXPECT_HR(CONNECT_E_NOCONNECTION, point->Unadvise(firstCookie));
    point->fire(1, {});
    EXPECT_EQ(1u, first->calls.size());
    EXPECT_EQ(2u, second->calls.size());
}

TEST(ConnectionPointTest, ASinkMayUnadviseItselfWhileBeingCalled)
{
    auto point = makeComObject<ConnectionPoint>(nullptr, kEvents);
    auto sink = makeComObject<RecordingSink>();
    DWORD cookie = 0;
    ASSERT_HR(S_OK, point->Advise(sink->unknown(), &cookie));
    sink->onCall = [&] { EXPECT_HR(S_OK, point->Unadvise(cookie)); };
    point->fire(7, {});
    point->fire(7, {});
    EXPECT_EQ(1u, sink->calls.size());
}

TEST(ConnectionPointTest, AdviseChecksItsArguments)
{
    auto point = makeComObject<ConnectionPoint>(nullptr, kEvents);
    DWORD cookie = 5;
    EXPECT_HR(E_POINTER, point->Advise(nullptr, &cookie));
    EXPECT_EQ(0u, cookie);
    auto notASink = makeComObject<EnumVariant>(std::vector<Variant>{});
    EXPECT_HR(CONNECT_E_CANNOTCONNECT, point->Advise(notASink->unknown(), &cookie));
}

TEST(EnumVariantTest, NextReportsShortBatchesAndClonesKeepTheirPosition)
{
    auto items = makeComObject<EnumVariant>(
        std::vector<Variant>{Variant::fromInt32(1), Variant::fromInt32(2), Variant::fromInt32(3)});
    VARIANT batch[2];
    ULONG fetched = 0;
    ASSERT_HR(S_OK, items->Next(2, batch, &fetched));
    EXPECT_EQ(2u, fetched);
    EXPECT_EQ(2, batch[1].lVal);
    ComPtr<IEnumVARIANT> clone;
    ASSERT_HR(S_OK, items->Clone(clone.put()));
    ASSERT_HR(S_FALSE, items->Next(2, batch, &fetched));
    EXPECT_EQ(1u, fetched);
    EXPECT_EQ(3, batch[0].lVal);
    EXPECT_HR(S_FALSE, items->Skip(1));
    ASSERT_HR(S_OK, clone->Next(1, batch, nullptr));
    EXPECT_EQ(3, batch[0].lVal);
}

} // namespace
