#include "platform/com/ClassTable.h"

#include "platform/com/ComObject.h"
#include "platform/testing/Matchers.h"

using namespace platform::com;

namespace {

struct ICounter : IUnknown {
    using Base = IUnknown;
    static constexpr IID kIid = makeGuid("7B000000-0000-4000-8000-000000000001");
    virtual int serial() = 0;

protected:
    ~ICounter() = default;
};

constexpr CLSID kCounterClass = makeGuid("7B000000-0000-4000-8000-0000000000C1");
constexpr CLSID kUnknownClass = makeGuid("7B000000-0000-4000-8000-0000000000FF");

class Counter final : public ComObject<ICounter> {
public:
    explicit Counter(int serial) : m_serial(serial) {}
    int serial() override { return m_serial; }

private:
    ~Counter() override = default;
    int m_serial;
};

class ClassTableTest : public ::testing::Test {
protected:
    void SetUp() override { ClassTable::instance().clear(); }
    void TearDown() override { ClassTable::instance().clear(); }

    void registerCounter(Instancing instancing, bool failFirst = false)
    {
        ClassTable::instance().registerClass({kCounterClass, "Test.Counter.1", "Test.Counter",
                                              [this, failFirst](REFIID riid, void** object) -> HRESULT {
                                                  ++m_made;
                                                  if (failFirst && m_made == 1) {
                                                      return E_FAIL;
                                                  }
                                                  return makeComObject<Counter>(m_made)->QueryInterface(riid, object);
                                              },
                                              instancing});
    }

    int m_made = 0;
};

TEST_F(ClassTableTest, UnknownClassesAndProgIdsAreRefused)
{
    ComPtr<ICounter> counter;
    EXPECT_HR(REGDB_E_CLASSNOTREG,
              CoCreateInstance(kUnknownClass, nullptr, CLSCTX_ALL, ICounter::kIid, counter.putVoid()));
    EXPECT_FALSE(counter);
    CLSID found = kUnknownClass;
    EXPECT_HR(CO_E_CLASSSTRING, CLSIDFromProgID(u"Test.Counter", &found));
    EXPECT_EQ(GUID_NULL, found);
}

TEST_F(ClassTableTest, PerCallClassesMakeAnObjectEachTimeAndAnswerBothProgIds)
{
    registerCounter(Instancing::PerCall);
    ComPtr<ICounter> first;
    ComPtr<ICounter> second;
    ASSERT_HR(S_OK, CoCreateInstance(kCounterClass, nullptr, CLSCTX_ALL, ICounter::kIid, first.putVoid()));
    ASSERT_HR(S_OK, CoCreateInstance(kCounterClass, nullptr, CLSCTX_ALL, ICounter::kIid, second.putVoid()));
    EXPECT_NE(first.get(), second.get());
    CLSID found{};
    ASSERT_HR(S_OK, CLSIDFromProgID(u"test.counter.1", &found));
    EXPECT_EQ(kCounterClass, found);
    ASSERT_HR(S_OK, CLSIDFromProgID(u"Test.Counter", &found));
    EXPECT_EQ(kCounterClass, found);
}

TEST_F(ClassTableTest, SingletonsAreMadeOnceAndFailedCreationIsRetried)
{
    registerCounter(Instancing::Singleton, /*failFirst=*/true);
    ComPtr<ICounter> counter;
    EXPECT_HR(E_FAIL, CoCreateInstance(kCounterClass, nullptr, CLSCTX_ALL, ICounter::kIid, counter.putVoid()));
    ComPtr<ICounter> again;
    ASSERT_HR(S_OK, CoCreateInstance(kCounterClass, nullptr, CLSCTX_ALL, ICounter::kIid, counter.putVoid()));
    ASSERT_HR(S_OK, CoCreateInstance(kCounterClass, nullptr, CLSCTX_ALL, ICounter::kIid, again.putVoid()));
    EXPECT_EQ(counter.get(), again.get());
    EXPECT_EQ(2, counter->serial());
}

} // namespace
