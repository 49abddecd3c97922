#include "talvodata/StreamForms.h"

#include "talvodata/Shot.h"

#include "support/Bytes.h"

#include "platform/com/ClassTable.h"
#include "platform/com/MemoryStream.h"
#include "platform/testing/Matchers.h"

using namespace talvodata;
using platform::com::Bstr;
using platform::com::ComPtr;
using platform::com::makeComObject;
using platform::com::MemoryStream;
using platform::com::Variant;
using Bytes = std::vector<std::uint8_t>;

namespace {

Bytes operator+(Bytes head, const Bytes& tail)
{
    head.insert(head.end(), tail.begin(), tail.end());
    return head;
}

ComPtr<MemoryStream> streamOf(const Bytes& bytes)
{
    return makeComObject<MemoryStream>(bytes);
}

Bytes variantBytes(const Variant& value)
{
    auto stream = makeComObject<MemoryStream>();
    EXPECT_HR(S_OK, writeVariant(stream.get(), value.get()));
    return stream->bytes();
}

TEST(StreamFormsTest, NullAndEmptyStringsHaveDistinctFormsAndReadBackAsSuch)
{
    auto stream = makeComObject<MemoryStream>();
    ASSERT_HR(S_OK, writeBstr(stream.get(), nullptr));
    ASSERT_HR(S_OK, writeBstr(stream.get(), Bstr::empty().get()));
    ASSERT_HR(S_OK, writeBstr(stream.get(), Bstr("ab").get()));
    EXPECT_EQ((Bytes{0, 0, 0, 0, 2, 0, 0, 0, 0, 0, 6, 0, 0, 0, 'a', 0, 'b', 0, 0, 0}), stream->bytes());

    ASSERT_HR(S_OK, stream->Seek(0, STREAM_SEEK_SET, nullptr));
    Bstr null = Bstr::empty();
    Bstr empty;
    Bstr text;
    ASSERT_HR(S_OK, readBstr(stream.get(), null));
    ASSERT_HR(S_OK, readBstr(stream.get(), empty));
    ASSERT_HR(S_OK, readBstr(stream.get(), text));
    EXPECT_TRUE(null.isNull());
    EXPECT_FALSE(empty.isNull());
    EXPECT_EQ(0u, empty.length());
    EXPECT_EQ(u"ab", text.view());
}

TEST(StreamFormsTest, DamagedStringsFailAndRewindToTheCount)
{
    const struct {
        const char* what;
        Bytes bytes;
    } cases[] = {
        {"count beyond the stream", {0xFF, 0xFF, 0xFF, 0x7F, 'a', 0}},
        {"count shorter than its terminator", {1, 0, 0, 0, 0}},
        {"data cut short", {6, 0, 0, 0, 'a', 0, 'b'}},
        {"count cut short", {6, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        auto stream = streamOf(c.bytes);
        Bstr text("previous");
        EXPECT_HR(E_FAIL, readBstr(stream.get(), text));
        EXPECT_TRUE(text.isNull());
        if (c.bytes.size() >= 4) {
            EXPECT_EQ(0u, stream->position());
        }
    }
}

TEST(StreamFormsTest, VariantPayloadsFollowTheirType)
{
    VARIANT byReference;
    VariantInit(&byReference);
    std::int32_t referred = 0x01020304;
    byReference.vt = VT_I4 | VT_BYREF;
    byReference.byref = &referred;

    VARIANT i1;
    VariantInit(&i1);
    i1.vt = VT_I1;
    i1.cVal = -2;

    const struct {
        const char* what;
        Variant value;
        Bytes bytes;
    } cases[] = {
        {"bool true is 0xFFFF", Variant::fromBool(true), {11, 0, 0xFF, 0xFF}},
        {"int32", Variant::fromInt32(-2), {3, 0, 0xFE, 0xFF, 0xFF, 0xFF}},
        {"double", Variant::fromDouble(1.0), {5, 0, 0, 0, 0, 0, 0, 0, 0xF0, 0x3F}},
        {"one byte", Variant::copyOf(i1), {16, 0, 0xFE}},
        {"empty is its type and an empty string", Variant(), {0, 0, 2, 0, 0, 0, 0, 0}},
        {"null is its type and an empty string", Variant::null(), {1, 0, 2, 0, 0, 0, 0, 0}},
        {"by reference is the referred value", Variant::adopt(byReference), {3, 0, 4, 3, 2, 1}},
        {"string", Variant::fromString(Bstr("x")), {8, 0, 4, 0, 0, 0, 'x', 0, 0, 0}},
        {"null object is a zero class", Variant::fromUnknown(nullptr), Bytes{13, 0} + Bytes(16, 0)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.bytes, variantBytes(c.value));
    }
}

TEST(StreamFormsTest, VariantsReadBackWithTheirExactType)
{
    for (const Variant& value :
         {Variant(), Variant::null(), Variant::fromBool(false), Variant::fromFloat(1.5f), Variant::fromDate(45000.25),
          Variant::fromString(Bstr("Ä")), Variant::fromString(Bstr())}) {
        SCOPED_TRACE(value.type());
        auto stream = streamOf(variantBytes(value));
        Variant read = Variant::fromInt32(99);
        ASSERT_HR(S_OK, readVariant(stream.get(), read));
        EXPECT_TRUE(platform::com::variantsEqual(value.get(), read.get()));
    }
}

TEST(StreamFormsTest, TypesStoredAsTextConvertBackOrFailTheRead)
{
    Variant read;
    auto empty = streamOf({0, 0, 4, 0, 0, 0, 'x', 0, 0, 0});
    ASSERT_HR(S_OK, readVariant(empty.get(), read));
    EXPECT_EQ(VT_EMPTY, read.type());

    auto decimal = streamOf({14, 0, 4, 0, 0, 0, '4', 0, 0, 0});
    EXPECT_HR(DISP_E_BADVARTYPE, readVariant(decimal.get(), read));

    auto cutString = streamOf({8, 0, 9, 0, 0, 0, 'x'});
    EXPECT_HR(E_FAIL, readVariant(cutString.get(), read));
    EXPECT_EQ(0u, cutString->position()); // Back to the type.

    auto unknownClass = streamOf(Bytes{9, 0, 1} + Bytes(15, 0));
    EXPECT_HR(E_FAIL, readVariant(unknownClass.get(), read));

    auto shortType = streamOf({3});
    EXPECT_HR(E_FAIL, readVariant(shortType.get(), read));
}

TEST(StreamFormsTest, StoredObjectsComeOnlyFromTheValueClassesOfTheDocumentModel)
{
    // A class the process can make, stored as a named value would be: the file must not be able to make it.
    constexpr CLSID kOtherClass = platform::com::makeGuid("5D1B7C2E-8F4A-4E61-9C3B-2A7F0E6D4B19");
    int created = 0;
    auto& classes = platform::com::ClassTable::instance();
    classes.registerClass({kOtherClass, "Talvo.Other.1", "Talvo.Other", [&](REFIID riid, void** object) {
                               ++created;
                               return CShot::create()->QueryInterface(riid, object);
                           }});
    const Bytes shotRecord = testsupport::savedRecord(CShot::create()->unknown());
    for (const VARTYPE type : {VT_UNKNOWN, VT_DISPATCH}) {
        SCOPED_TRACE(type);
        Variant value;
        const Bytes stored = testsupport::Bytes().u16(type).guid(kOtherClass).append(shotRecord).bytes();
        EXPECT_HR(E_FAIL, readVariant(streamOf(stored).get(), value));
        const Bytes shot = testsupport::Bytes().u16(type).guid(CLSID_Shot).append(shotRecord).bytes();
        EXPECT_HR(S_OK, readVariant(streamOf(shot).get(), value));
    }
    classes.unregisterClass(kOtherClass);
    EXPECT_EQ(0, created);
}

} // namespace
