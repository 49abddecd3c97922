#include "talvodata/NamedValues.h"

#include "talvodata/Shot.h"

#include "talvodata/tests/support/Bytes.h"

#include "platform/com/ClassTable.h"
#include "platform/com/MemoryStream.h"
#include "platform/com/StreamForms.h"
#include "platform/testing/Matchers.h"

using namespace talvodata;
using platform::com::Bstr;
using platform::com::makeComObject;
using platform::com::MemoryStream;
using platform::com::readBstr;
using platform::com::readInt32;
using platform::com::readVariant;
using platform::com::Variant;
using platform::com::writeBstr;
using platform::com::writeInt32;
using platform::com::writeVariant;

namespace {

std::vector<std::string> keysInStreamOrder(const NamedValues& bag)
{
    auto stream = makeComObject<MemoryStream>();
    EXPECT_HR(S_OK, bag.save(stream.get()));
    EXPECT_HR(S_OK, stream->Seek(0, STREAM_SEEK_SET, nullptr));
    std::int32_t count = 0;
    EXPECT_HR(S_OK, readInt32(stream.get(), count));
    std::vector<std::string> keys;
    for (std::int32_t i = 0; i < count; ++i) {
        Bstr key;
        Variant value;
        EXPECT_HR(S_OK, readBstr(stream.get(), key));
        EXPECT_HR(S_OK, readVariant(stream.get(), value));
        keys.push_back(key.toUtf8());
    }
    return keys;
}

TEST(NamedValuesTest, KeysAreStoredInLocaleOrderWhateverThePutOrder)
{
    NamedValues bag;
    bool changed = false;
    for (const char* key : {"b", "_x", "a"}) {
        ASSERT_HR(S_OK, bag.put(Bstr(key).get(), Variant::fromInt32(1).get(), changed));
    }
    EXPECT_EQ((std::vector<std::string>{"_x", "a", "b"}), keysInStreamOrder(bag));
}

TEST(NamedValuesTest, EmptyRemovesAndReportsAChangeOnlyWhenSomethingWentAway)
{
    NamedValues bag;
    bool changed = true;
    ASSERT_HR(S_OK, bag.put(Bstr("absent").get(), Variant().get(), changed));
    EXPECT_FALSE(changed);
    ASSERT_HR(S_OK, bag.put(Bstr("k").get(), Variant::fromInt32(7).get(), changed));
    EXPECT_TRUE(changed);
    ASSERT_HR(S_OK, bag.put(Bstr("k").get(), Variant().get(), changed));
    EXPECT_TRUE(changed);
    EXPECT_EQ(0u, bag.size());

    Variant value = Variant::fromInt32(3);
    ASSERT_HR(S_OK, bag.get(Bstr("k").get(), value.put()));
    EXPECT_EQ(VT_EMPTY, value.type());
    EXPECT_HR(E_POINTER, bag.get(Bstr("k").get(), nullptr));
}

TEST(NamedValuesTest, ANullKeyIsTheEmptyKey)
{
    NamedValues bag;
    bool changed = false;
    ASSERT_HR(S_OK, bag.put(nullptr, Variant::fromInt32(1).get(), changed));
    ASSERT_HR(S_OK, bag.put(Bstr::empty().get(), Variant::fromInt32(2).get(), changed));
    EXPECT_EQ(1u, bag.size());
    Variant value;
    ASSERT_HR(S_OK, bag.get(nullptr, value.put()));
    EXPECT_EQ(2, value.get().lVal);
}

TEST(NamedValuesTest, LoadingKeepsTheFirstOfRepeatedKeysAndRefusesLyingCounts)
{
    auto stream = makeComObject<MemoryStream>();
    ASSERT_HR(S_OK, writeInt32(stream.get(), 2));
    for (std::int32_t value : {1, 2}) {
        ASSERT_HR(S_OK, writeBstr(stream.get(), Bstr("same").get()));
        ASSERT_HR(S_OK, writeVariant(stream.get(), Variant::fromInt32(value).get()));
    }
    ASSERT_HR(S_OK, stream->Seek(0, STREAM_SEEK_SET, nullptr));
    NamedValues bag;
    ASSERT_HR(S_OK, bag.load(stream.get()));
    Variant value;
    ASSERT_HR(S_OK, bag.get(Bstr("same").get(), value.put()));
    EXPECT_EQ(1, value.get().lVal);

    for (std::int32_t count : {-1, 1000000}) {
        SCOPED_TRACE(count);
        auto lying = makeComObject<MemoryStream>();
        ASSERT_HR(S_OK, writeInt32(lying.get(), count));
        ASSERT_HR(S_OK, lying->Seek(0, STREAM_SEEK_SET, nullptr));
        NamedValues empty;
        EXPECT_HR(E_FAIL, empty.load(lying.get()));
    }
}

TEST(NamedValuesTest, StoredObjectsComeOnlyFromTheValueClassesOfTheDocumentModel)
{
    // A class the process can make, stored as a named value would be: the file must not be able to make it.
    constexpr CLSID kOtherClass = platform::com::makeGuid("5D1B7C2E-8F4A-4E61-9C3B-2A7F0E6D4B19");
    int created = 0;
    platform::com::ClassTable::instance().registerClass(
        {kOtherClass, "Talvo.Other.1", "Talvo.Other", [&](REFIID riid, void** object) {
             ++created;
             return CShot::create()->QueryInterface(riid, object);
         }});
    const std::vector<std::uint8_t> shotRecord = testsupport::savedRecord(CShot::create()->unknown());
    for (const VARTYPE type : {VT_UNKNOWN, VT_DISPATCH}) {
        SCOPED_TRACE(type);
        Variant value;
        const auto stored = testsupport::Bytes().u16(type).guid(kOtherClass).append(shotRecord).bytes();
        EXPECT_HR(E_FAIL, readVariant(makeComObject<MemoryStream>(stored).get(), value));
        const auto shot = testsupport::Bytes().u16(type).guid(CLSID_Shot).append(shotRecord).bytes();
        EXPECT_HR(S_OK, readVariant(makeComObject<MemoryStream>(shot).get(), value));
    }
    EXPECT_EQ(0, created);
}

} // namespace
