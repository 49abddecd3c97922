#include "talvodata/TargetElement.h"

#include "talvodata/tests/support/Bytes.h"

#include "platform/testing/Matchers.h"

namespace talvodata {
namespace {

using platform::com::Bstr;
using platform::com::ComPtr;
using platform::com::Variant;
using testsupport::Bytes;

struct Vertex {
    float x;
    float y;
};

ComPtr<CTargetElement> makeElement(enumTargetElementType type, float left, float top, float width, float height)
{
    auto element = CTargetElement::create();
    EXPECT_HR(S_OK, element->put_Type(type));
    EXPECT_HR(S_OK, element->put_Left(left));
    EXPECT_HR(S_OK, element->put_Top(top));
    EXPECT_HR(S_OK, element->put_Width(width));
    EXPECT_HR(S_OK, element->put_Height(height));
    return element;
}

ComPtr<CTargetElement> makePolygon(enumTargetElementType type, std::initializer_list<Vertex> vertices)
{
    auto element = makeElement(type, 0, 0, 0, 0);
    for (const Vertex& v : vertices) {
        EXPECT_HR(S_OK, element->AddPoint(v.x, v.y));
    }
    return element;
}

bool inside(CTargetElement& element, float x, float y, float caliber)
{
    VARIANT_BOOL answer = 7;
    EXPECT_HR(S_OK, element.IsPointInside(x, y, caliber, &answer));
    EXPECT_TRUE(answer == VARIANT_TRUE || answer == VARIANT_FALSE);
    return answer == VARIANT_TRUE;
}

struct HitCase {
    const char* what;
    float x;
    float y;
    float caliber;
    bool expected;
};

void expectHits(CTargetElement& element, std::initializer_list<HitCase> cases)
{
    for (const HitCase& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.expected, inside(element, c.x, c.y, c.caliber));
    }
}

TEST(TargetElementTest, RectangleIsWidenedByHalfTheCaliber)
{
    auto rectangle = makeElement(elementRectangle, 0, 0, 10, 4);
    expectHits(*rectangle, {
                               {"right of the edge, calibre 1", 10.5F, 2, 1, true},
                               {"right of the edge, calibre 0", 10.5F, 2, 0, false},
                               {"on the right edge", 10, 2, 0, true},
                               {"on the top-left corner", 0, 0, 0, true},
                               {"above by more than half the calibre", 5, -0.6F, 1, false},
                               {"above within half the calibre", 5, -0.5F, 1, true},
                           });
}

TEST(TargetElementTest, PolygonEdgesAndVerticesAreInside)
{
    auto square = makePolygon(elementPolygon, {{0, 0}, {10, 0}, {10, 10}, {0, 10}});
    expectHits(*square, {
                            {"centre", 5, 5, 0, true},
                            {"on the bottom edge", 5, 0, 0, true},
                            {"on the left edge", 0, 5, 0, true},
                            {"on a vertex", 10, 10, 0, true},
                            {"on the extension of the bottom edge", 12, 0, 0, false},
                            {"on the extension behind the start", -3, 0, 0, false},
                            {"outside", 11, 5, 0, false},
                        });
}

TEST(TargetElementTest, PolylineIsTestedAsClosedTriangle)
{
    auto polyline = makePolygon(elementPolyline, {{0, 0}, {10, 0}, {0, 10}});
    expectHits(*polyline, {
                              {"inside the closed triangle", 2, 2, 0, true},
                              {"on the closing edge", 5, 5, 0, true},
                              {"beyond the closing edge", 6, 6, 0, false},
                          });
}

TEST(TargetElementTest, PolygonEdgesAreThickenedByTheCaliber)
{
    auto square = makePolygon(elementPolygon, {{0, 0}, {10, 0}, {10, 10}, {0, 10}});
    expectHits(*square, {
                            {"just outside the right edge, within half the calibre", 10.9F, 5, 2, true},
                            {"outside the right edge, beyond half the calibre", 11.1F, 5, 2, false},
                            {"the same point with calibre 0", 10.9F, 5, 0, false},
                            {"diagonally off a corner, inside the round cap", 10.6F, 10.6F, 2, true},
                            {"diagonally off a corner, outside the round cap", 10.8F, 10.8F, 2, false},
                        });
}

TEST(TargetElementTest, FlatEllipsePictureAndTextHoldNothing)
{
    auto ellipse = makeElement(elementEllipse, -5, -5, 10, 10);
    expectHits(*ellipse,
               {{"centre", 0, 0, 0, true}, {"on the edge", 5, 0, 0, true}, {"corner of box", 4, 4, 9, false}});
    for (auto [width, height] : {std::pair{0.0F, 10.0F}, std::pair{10.0F, 0.0F}}) {
        auto flat = makeElement(elementEllipse, 0, 0, width, height);
        EXPECT_FALSE(inside(*flat, 0, 5, 0));
        EXPECT_FALSE(inside(*flat, 5, 0, 0));
    }
    for (auto type : {elementPicture, elementText}) {
        auto element = makeElement(type, -5, -5, 10, 10);
        EXPECT_FALSE(inside(*element, 0, 0, 4));
    }
}

TEST(TargetElementTest, VerticesCountFromOne)
{
    auto polyline = makePolygon(elementPolyline, {{1, 2}, {3, 4}});
    float value = 0;
    EXPECT_HR(S_OK, polyline->get_x(2, &value));
    EXPECT_EQ(3.0F, value);
    EXPECT_HR(S_OK, polyline->get_y(1, &value));
    EXPECT_EQ(2.0F, value);
    EXPECT_HR(E_INVALIDARG, polyline->get_x(0, &value));
    EXPECT_HR(E_INVALIDARG, polyline->get_y(3, &value));
    EXPECT_HR(E_POINTER, polyline->get_x(1, nullptr));
}

TEST(TargetElementTest, OnlyNamedValuesMakeItDirty)
{
    auto element = CTargetElement::create();
    ASSERT_HR(S_OK, element->put_Result(7));
    EXPECT_HR(S_FALSE, element->IsDirty());
    Bstr key("text");
    ASSERT_HR(S_OK, element->put_Value(key.get(), Variant().get()));
    EXPECT_HR(S_FALSE, element->IsDirty());
    ASSERT_HR(S_OK, element->put_Value(key.get(), Variant::fromString(Bstr("10")).get()));
    EXPECT_HR(S_OK, element->IsDirty());

    BSTR readKey = nullptr;
    VARIANT readValue;
    EXPECT_HR(S_OK, element->KeyValue(0, &readKey, &readValue));
    EXPECT_EQ(u"text", Bstr::adopt(readKey).view());
    EXPECT_EQ(VT_BSTR, Variant::adopt(readValue).type());
    EXPECT_HR(E_INVALIDARG, element->KeyValue(1, &readKey, &readValue));
    EXPECT_EQ(nullptr, readKey);
    EXPECT_EQ(VT_EMPTY, readValue.vt);
}

Bytes version5Record()
{
    return std::move(Bytes()
                         .i32(5)
                         .u32(0x00FF00) // BodyColor
                         .u32(0x0000FF) // BorderColor
                         .i32(elementPolygon)
                         .f32(0.5F) // BorderWidth
                         .f32(20)   // Height
                         .f32(-10)  // Left
                         .f32(9)    // Result
                         .i32(3)    // AreaIndex
                         .f32(-20)  // Top
                         .f32(30)   // Width
                         .i16(-1)   // DrawBeforeRings
                         .i16(-1)   // CalcAfterRings
                         .i16(0)    // Clip
                         .i16(0)    // Fill
                         .i16(-1)   // Visible
                         .i16(-1)   // IgnoreResult
                         .i32(2)
                         .f32(1)
                         .f32(2)
                         .f32(3)
                         .f32(4)
                         .u8(0) // no picture
                         .i32(1)
                         .bstr(u"font")
                         .u16(VT_BSTR)
                         .bstr(u"Arial"));
}

TEST(TargetElementTest, SavesTheDesignedRecordBytes)
{
    auto element = makeElement(elementPolygon, -10, -20, 30, 20);
    ASSERT_HR(S_OK, element->put_BodyColor(0x00FF00));
    ASSERT_HR(S_OK, element->put_BorderColor(0x0000FF));
    ASSERT_HR(S_OK, element->put_BorderWidth(0.5F));
    ASSERT_HR(S_OK, element->put_Result(9));
    ASSERT_HR(S_OK, element->put_AreaIndex(3));
    ASSERT_HR(S_OK, element->put_DrawBeforeRings(VARIANT_TRUE));
    ASSERT_HR(S_OK, element->put_CalcAfterRings(VARIANT_TRUE));
    ASSERT_HR(S_OK, element->put_Fill(VARIANT_FALSE));
    ASSERT_HR(S_OK, element->put_IgnoreResult(VARIANT_TRUE));
    ASSERT_HR(S_OK, element->AddPoint(1, 2));
    ASSERT_HR(S_OK, element->AddPoint(3, 4));
    ASSERT_HR(S_OK, element->put_Value(Bstr("font").get(), Variant::fromString(Bstr("Arial")).get()));

    EXPECT_EQ(version5Record().bytes(), testsupport::savedRecord(element->unknown()));
    EXPECT_HR(S_FALSE, element->IsDirty());
}

TEST(TargetElementTest, LoadRoundTripsAndAppendsPoints)
{
    auto element = makePolygon(elementPolygon, {{7, 8}});
    ASSERT_HR(S_OK, testsupport::loadRecord(element->unknown(), version5Record().bytes()));
    LONG count = 0;
    ASSERT_HR(S_OK, element->get_PointCount(&count));
    EXPECT_EQ(3, count);
    float x = 0;
    ASSERT_HR(S_OK, element->get_x(2, &x));
    EXPECT_EQ(1.0F, x);
    VARIANT_BOOL flag = 0;
    ASSERT_HR(S_OK, element->get_CalcAfterRings(&flag));
    EXPECT_EQ(VARIANT_TRUE, flag);
    EXPECT_HR(S_FALSE, element->IsDirty());
}

TEST(TargetElementTest, VersionOneRecordLoadsWithLaterFieldsAtTheirDefaults)
{
    const auto record = Bytes()
                            .i32(1)
                            .u32(0x123456)
                            .u32(0)
                            .i32(elementEllipse)
                            .f32(0)
                            .f32(10)
                            .f32(-5)
                            .f32(8)
                            .f32(-5)
                            .f32(10)
                            .i16(0)
                            .i16(0)
                            .i16(-1)
                            .i16(-1)
                            .i32(0)
                            .u8(0)
                            .bytes();
    auto element = CTargetElement::create();
    ASSERT_HR(S_OK, testsupport::loadRecord(element->unknown(), record));
    LONG area = -1;
    VARIANT_BOOL ignore = 1;
    VARIANT_BOOL after = 1;
    LONG values = -1;
    float result = 0;
    EXPECT_HR(S_OK, element->get_AreaIndex(&area));
    EXPECT_HR(S_OK, element->get_IgnoreResult(&ignore));
    EXPECT_HR(S_OK, element->get_CalcAfterRings(&after));
    EXPECT_HR(S_OK, element->get_ValuesCount(&values));
    EXPECT_HR(S_OK, element->get_Result(&result));
    EXPECT_EQ(0, area);
    EXPECT_EQ(VARIANT_FALSE, ignore);
    EXPECT_EQ(VARIANT_FALSE, after);
    EXPECT_EQ(0, values);
    EXPECT_EQ(8.0F, result);
    EXPECT_TRUE(inside(*element, 0, 0, 0));
}

TEST(TargetElementTest, LoadRejectsDamagedRecords)
{
    const auto good = version5Record().bytes();
    auto newer = good;
    newer[0] = 6;
    auto truncated = good;
    truncated.resize(good.size() - 3);
    auto hugeCount = good;
    const std::size_t countOffset = 4 * 11 + 2 * 6;
    hugeCount[countOffset + 3] = 0x7F;
    auto negativeCount = good;
    negativeCount[countOffset + 3] = 0x80;
    for (const auto& [what, bytes] :
         {std::pair{"newer version", newer}, std::pair{"truncated", truncated},
          std::pair{"huge point count", hugeCount}, std::pair{"negative point count", negativeCount}}) {
        SCOPED_TRACE(what);
        auto element = CTargetElement::create();
        EXPECT_HR(E_FAIL, testsupport::loadRecord(element->unknown(), bytes));
    }
}

} // namespace
} // namespace talvodata
