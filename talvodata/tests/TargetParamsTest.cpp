#include "talvodata/TargetParams.h"

#include "talvodata/tests/support/Bytes.h"
#include "talvodata/tests/support/FakePicture.h"

#include "platform/com/EnumVariant.h"
#include "platform/gfx/PictureObject.h"
#include "platform/testing/Matchers.h"

namespace talvodata {
namespace {

using platform::com::ComPtr;
using testsupport::Bytes;
using testsupport::FakePicture;

TEST(TargetParamsTest, RingsCountFromOneToTen)
{
    auto face = CTargetParams::create();
    float diameter = -1;
    for (LONG score : {0, 11, -1}) {
        SCOPED_TRACE(score);
        EXPECT_HR(E_INVALIDARG, face->get_Ring(score, &diameter));
        EXPECT_HR(E_INVALIDARG, face->put_Ring(score, 5));
    }
    EXPECT_HR(S_OK, face->put_Ring(10, 0.5F));
    EXPECT_HR(S_OK, face->get_Ring(10, &diameter));
    EXPECT_EQ(0.5F, diameter);
    EXPECT_HR(S_OK, face->get_Ring(1, &diameter));
    EXPECT_EQ(0.0F, diameter);
}

TEST(TargetParamsTest, SettersRefuseValuesOutOfRangeAndKeepTheField)
{
    auto face = CTargetParams::create();
    ASSERT_HR(S_OK, face->put_TextOrientation(1));
    ASSERT_HR(S_OK, face->put_FillCenter(FillInnerTen));
    ASSERT_HR(S_OK, face->put_LastNumberedRing(10));
    ASSERT_HR(S_OK, face->put_TextHeight(0));
    ASSERT_HR(S_OK, face->put_TraceThickness(0));

    EXPECT_HR(E_INVALIDARG, face->put_TextOrientation(2));
    EXPECT_HR(E_INVALIDARG, face->put_TextOrientation(-1));
    EXPECT_HR(E_INVALIDARG, face->put_FillCenter(static_cast<enumTargetFillCenter>(3)));
    EXPECT_HR(E_INVALIDARG, face->put_LastNumberedRing(-1));
    EXPECT_HR(E_INVALIDARG, face->put_LastNumberedRing(11));
    EXPECT_HR(E_INVALIDARG, face->put_TextHeight(-0.1F));
    EXPECT_HR(E_INVALIDARG, face->put_TraceThickness(-0.1F));

    LONG orientation = 0;
    LONG lastNumbered = 0;
    enumTargetFillCenter fill = NoFill;
    EXPECT_HR(S_OK, face->get_TextOrientation(&orientation));
    EXPECT_HR(S_OK, face->get_LastNumberedRing(&lastNumbered));
    EXPECT_HR(S_OK, face->get_FillCenter(&fill));
    EXPECT_EQ(1, orientation);
    EXPECT_EQ(10, lastNumbered);
    EXPECT_EQ(FillInnerTen, fill);
    EXPECT_HR(S_FALSE, face->IsDirty());
}

Bytes faceRecordHead(std::int32_t version)
{
    Bytes bytes;
    bytes.i32(version)
        .u32(0xC0C0C0) // BackgroundColor
        .u32(0x000000) // BlackColor
        .u32(0xFFFFFF) // BreachColor
        .u32(0xFFFFFF) // InnerRingColor
        .u32(0x000000) // RingColor
        .u32(0xFF00FF) // SelectedBreachColor
        .i32(FillCenter)
        .f32(30.5F) // Black
        .f32(80)    // FormHeight
        .f32(80)    // FormWidth
        .f32(0)     // InnerTen
        .f32(0.1F)  // RingThickness
        .f32(2)     // TextHeight
        .f32(0.3F)  // TraceThickness
        .i32(8)     // LastNumberedRing
        .i32(1);    // TextOrientation
    for (int n = 1; n <= 10; ++n) {
        bytes.f32(0.5F + 5.0F * float(10 - n));
    }
    return bytes;
}

ComPtr<CTargetParams> airRifleFace()
{
    auto face = CTargetParams::create();
    EXPECT_HR(S_OK, face->put_FillCenter(FillCenter));
    EXPECT_HR(S_OK, face->put_Black(30.5F));
    EXPECT_HR(S_OK, face->put_FormHeight(80));
    EXPECT_HR(S_OK, face->put_FormWidth(80));
    EXPECT_HR(S_OK, face->put_RingThickness(0.1F));
    EXPECT_HR(S_OK, face->put_TextHeight(2));
    EXPECT_HR(S_OK, face->put_TraceThickness(0.3F));
    EXPECT_HR(S_OK, face->put_LastNumberedRing(8));
    EXPECT_HR(S_OK, face->put_TextOrientation(1));
    for (LONG n = 1; n <= 10; ++n) {
        EXPECT_HR(S_OK, face->put_Ring(n, 0.5F + 5.0F * float(10 - n)));
    }
    return face;
}

TEST(TargetParamsTest, SavesTheDesignedRecordBytesWithoutPicture)
{
    auto face = airRifleFace();
    const auto expected = faceRecordHead(1).u8(0).i32(0).bytes();
    EXPECT_EQ(expected, testsupport::savedRecord(face->unknown()));

    auto reloaded = CTargetParams::create();
    ASSERT_HR(S_OK, testsupport::loadRecord(reloaded->unknown(), expected));
    IDispatch* picture = nullptr;
    EXPECT_HR(E_FAIL, reloaded->get_Picture(&picture));
    EXPECT_EQ(nullptr, picture);
    EXPECT_EQ(expected, testsupport::savedRecord(reloaded->unknown()));
}

TEST(TargetParamsTest, ElementsAreNestedObjectsAfterThePicture)
{
    auto face = airRifleFace();
    auto picture = platform::gfx::PictureObject::create();
    ASSERT_HR(S_OK, face->put_Picture(picture.get()));
    ComPtr<ITargetElement> element;
    ASSERT_HR(S_OK, face->AddElement(elementEllipse, -1, -2, 3, 4, element.put()));

    const auto saved = testsupport::savedRecord(face->unknown());
    // The empty picture's record: version 1, one byte, the empty kind.
    const auto head = faceRecordHead(1)
                          .u8(1)
                          .guid(platform::gfx::PictureObject::kClassId)
                          .i32(1)
                          .i32(1)
                          .u8(0)
                          .i32(1)
                          .guid(CLSID_TargetElement);
    ASSERT_GT(saved.size(), head.bytes().size());
    EXPECT_TRUE(std::equal(head.bytes().begin(), head.bytes().end(), saved.begin()));

    auto reloaded = CTargetParams::create();
    ASSERT_HR(S_OK, testsupport::loadRecord(reloaded->unknown(), saved));
    EXPECT_EQ(saved, testsupport::savedRecord(reloaded->unknown()));
    ComPtr<IDispatch> readPicture;
    EXPECT_HR(S_OK, reloaded->get_Picture(readPicture.put()));
    EXPECT_TRUE(readPicture.queryInterface<IPicture>());
}

TEST(TargetParamsTest, ObjectsWithoutIPictureAreNotKept)
{
    auto face = airRifleFace();
    ASSERT_HR(S_OK, face->put_Picture(platform::gfx::PictureObject::create().get()));
    ASSERT_HR(S_OK, face->put_Picture(FakePicture::create().get()));
    ComPtr<IDispatch> picture;
    EXPECT_HR(E_FAIL, face->get_Picture(picture.put()));
    EXPECT_EQ(faceRecordHead(1).u8(0).i32(0).bytes(), testsupport::savedRecord(face->unknown()));
}

TEST(TargetParamsTest, LoadAppendsElementsAndRejectsDamagedRecords)
{
    auto source = airRifleFace();
    ComPtr<ITargetElement> element;
    ASSERT_HR(S_OK, source->AddElement(elementRectangle, 0, 0, 1, 1, element.put()));
    const auto saved = testsupport::savedRecord(source->unknown());

    auto face = CTargetParams::create();
    ASSERT_HR(S_OK, face->AddElement(elementText, 0, 0, 1, 1, element.put()));
    ASSERT_HR(S_OK, testsupport::loadRecord(face->unknown(), saved));
    LONG count = 0;
    ASSERT_HR(S_OK, face->get_ElementCount(&count));
    EXPECT_EQ(2, count);

    auto newer = faceRecordHead(2).u8(0).i32(0).bytes();
    auto truncated = saved;
    truncated.resize(saved.size() - 1);
    auto hugeCount = faceRecordHead(1).u8(0).i32(0x10000000).bytes();
    auto negativeCount = faceRecordHead(1).u8(0).i32(-1).bytes();
    auto unknownPicture = faceRecordHead(1).u8(1).guid(CLSID_TargetElement).bytes();
    unknownPicture.back() ^= 0x5A; // Not a registered class.
    for (const auto& [what, bytes] :
         {std::pair{"newer version", newer}, std::pair{"truncated", truncated}, std::pair{"huge count", hugeCount},
          std::pair{"negative count", negativeCount}, std::pair{"unknown picture class", unknownPicture}}) {
        SCOPED_TRACE(what);
        auto damaged = CTargetParams::create();
        EXPECT_TRUE(FAILED(testsupport::loadRecord(damaged->unknown(), bytes)));
    }
}

TEST(TargetParamsTest, ElementsAreFoundByPositionAndArea)
{
    auto face = CTargetParams::create();
    ComPtr<ITargetElement> first;
    ComPtr<ITargetElement> second;
    ASSERT_HR(S_OK, face->AddElement(elementEllipse, 0, 0, 1, 1, first.put()));
    ASSERT_HR(S_OK, face->AddElement(elementEllipse, 2, 0, 1, 1, second.put()));
    ASSERT_HR(S_OK, second->put_AreaIndex(4));

    ComPtr<ITargetElement> found;
    EXPECT_HR(S_OK, face->get_Elements(2, found.put()));
    EXPECT_EQ(second.get(), found.get());
    EXPECT_HR(E_INVALIDARG, face->get_Elements(0, found.put()));
    EXPECT_HR(E_INVALIDARG, face->get_Elements(3, found.put()));

    EXPECT_HR(S_OK, face->get_Areas(4, found.put()));
    EXPECT_EQ(second.get(), found.get());
    ITargetElement* untouched = first.get();
    EXPECT_HR(S_OK, face->get_Areas(9, &untouched));
    EXPECT_EQ(first.get(), untouched);

    ComPtr<IUnknown> enumerator;
    ASSERT_HR(S_OK, face->get__NewEnum(enumerator.put()));
    auto variants = enumerator.queryInterface<IEnumVARIANT>();
    ASSERT_TRUE(variants);
    VARIANT items[3];
    ULONG fetched = 0;
    EXPECT_HR(S_FALSE, variants->Next(3, items, &fetched));
    ASSERT_EQ(2U, fetched);
    for (ULONG i = 0; i < fetched; ++i) {
        EXPECT_EQ(VT_DISPATCH, items[i].vt);
        EXPECT_HR(S_OK, VariantClear(&items[i]));
    }
}

} // namespace
} // namespace talvodata
