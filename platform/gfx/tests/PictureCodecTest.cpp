#include "platform/gfx/PictureCodec.h"

#include "platform/gfx/Bitmap.h"
#include "platform/gfx/Himetric.h"
#include "platform/gfx/PictureRecorder.h"
#include "platform/gfx/TextFormat.h"
#include "platform/testing/Matchers.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

namespace platform::gfx {
namespace {

Bitmap checkerBitmap()
{
    return {2, 2, {0x0000FF, 0x00FF00, 0xFF0000, 0xFFFFFF}};
}

// Every kind of operation, a nested recording and a nested bitmap picture.
Picture richPicture()
{
    PictureRecorder inner;
    inner.setBrush({BrushStyle::Solid, 0x123456});
    inner.ellipse({0, 0, 30, 20});
    const Picture nested = inner.finish();

    PictureRecorder recorder({96, 120});
    recorder.fillRect({0, 0, 200, 100}, 0xC0C0C0);
    recorder.save();
    recorder.setPen({PenStyle::InsideFrame, 3, 0x0000FF});
    recorder.setBrush({BrushStyle::Hollow, 0});
    recorder.rectangle({10, 10, 60, 40});
    recorder.restore();
    recorder.setPen({PenStyle::Dot, 0, 0x00FF00});
    const std::array<Point, 3> points{Point{1, 2}, Point{50, -7}, Point{90, 80}};
    recorder.polyline(points);
    recorder.polygon(points);
    recorder.beginPath();
    recorder.ellipse({20, 20, 120, 90});
    recorder.endPath();
    recorder.selectClipPath(ClipCombine::Replace);
    recorder.setClipRect({0, 0, 150, 100});
    recorder.setFont({u"Times", -15, FW_BOLD, true, 900});
    recorder.setTextColor(0x00FFFF);
    recorder.setBackgroundColor(0x101010);
    recorder.setBackgroundMode(BackgroundMode::Transparent);
    recorder.setTextAlign(TA_CENTER | TA_BASELINE);
    recorder.setRasterOp(RasterOp::NotXorPen);
    recorder.textOut({100, 50}, u"10 \u00e9");
    Rect box{0, 60, 200, 60};
    (void)recorder.drawText(u"8", box, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOCLIP);
    recorder.shadeRect({5, 5, 15, 15});
    recorder.clearClip();
    recorder.drawPicture(nested, {100, 10, 160, 50});
    recorder.drawPicture(Picture::fromBitmap(checkerBitmap(), {300, 300}), {0, 0, 20, 20});
    recorder.drawBitmap(checkerBitmap(), {180, 80, 200, 100});
    return recorder.finish(himetricFromPixels({-10, -20, 210, 110}, {96, 120}));
}

std::vector<std::uint8_t> encoded(const Picture& picture)
{
    auto bytes = encodePicture(picture);
    EXPECT_TRUE(bytes.hasValue()) << (bytes ? "" : bytes.error().detail);
    return bytes ? bytes.value() : std::vector<std::uint8_t>{};
}

void putU32(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i) {
        bytes.at(at + i) = static_cast<std::uint8_t>(value >> (8 * i));
    }
}

TEST(PictureCodecTest, DecodedPicturesKeepSizeAndEncodeToTheSameBytes)
{
    const std::pair<const char*, Picture> cases[] = {
        {"empty", Picture{}},
        {"rich recording", richPicture()},
        {"bitmap", Picture::fromBitmap(checkerBitmap(), {72, 300})},
    };
    for (const auto& [what, picture] : cases) {
        SCOPED_TRACE(what);
        const auto bytes = encoded(picture);
        auto decoded = decodePicture(bytes);
        ASSERT_TRUE(decoded.hasValue());
        EXPECT_EQ(picture.isEmpty(), decoded->isEmpty());
        EXPECT_EQ(picture.isBitmap(), decoded->isBitmap());
        EXPECT_EQ(picture.bounds(), decoded->bounds());
        EXPECT_EQ(picture.frame(), decoded->frame());
        EXPECT_EQ(bytes, encoded(*decoded));
    }
}

TEST(PictureCodecTest, EveryTruncationFailsCleanly)
{
    const auto bytes = encoded(richPicture());
    for (std::size_t size = 0; size < bytes.size(); ++size) {
        SCOPED_TRACE(size);
        EXPECT_EQ(E_FAIL, decodePicture(std::span(bytes).first(size)).code());
    }
}

TEST(PictureCodecTest, HostileRecordsFailWithoutAllocating)
{
    // A recording: kind, frame, resolution, count, then one operation at byte 29.
    PictureRecorder recorder;
    const std::array<Point, 2> line{Point{0, 0}, Point{10, 10}};
    recorder.polyline(line);
    const auto valid = encoded(recorder.finish());
    ASSERT_EQ(valid.size(), 29U + 1 + 4 + 16); // The default pen needs no state operation.
    auto with = [&](std::size_t at, std::uint32_t value) {
        auto bytes = valid;
        putU32(bytes, at, value);
        return bytes;
    };
    auto withByte = [&](std::size_t at, std::uint8_t value) {
        auto bytes = valid;
        bytes.at(at) = value;
        return bytes;
    };
    auto trailing = valid;
    trailing.push_back(0);
    const std::uint8_t hugeBitmap[] = {2, 96, 0, 0, 0, 96, 0, 0, 0, 0, 0x80, 0, 0, 0, 0x80, 0, 0};
    const std::uint8_t restoreFirst[] = {1, 0, 0,  0, 0, 0, 0,  0, 0, 0, 0, 0, 0, 0, 0,
                                         0, 0, 96, 0, 0, 0, 96, 0, 0, 0, 1, 0, 0, 0, 10};
    const std::pair<const char*, std::vector<std::uint8_t>> cases[] = {
        {"huge operation count", with(25, 0xFFFFFFFF)},
        {"huge point count", with(30, 0x7FFFFFFF)},
        {"unknown kind", withByte(0, 3)},
        {"unknown operation", withByte(29, 200)},
        {"zero resolution", with(17, 0)},
        {"coordinate beyond the limit", with(34, 0x40000000)},
        {"bytes after the picture", trailing},
        {"bitmap larger than the data", {std::begin(hugeBitmap), std::end(hugeBitmap)}},
        {"restore without save", {std::begin(restoreFirst), std::end(restoreFirst)}},
    };
    for (const auto& [what, bytes] : cases) {
        SCOPED_TRACE(what);
        EXPECT_EQ(E_FAIL, decodePicture(bytes).code());
    }
}

TEST(PictureCodecTest, NestingIsLimitedBothWays)
{
    Picture picture = Picture::fromBitmap(checkerBitmap());
    for (int level = 0; level < 8; ++level) {
        PictureRecorder recorder;
        recorder.drawPicture(picture, {0, 0, 10, 10});
        picture = recorder.finish();
    }
    const auto bytes = encoded(picture);
    EXPECT_TRUE(decodePicture(bytes).hasValue());

    PictureRecorder deeper;
    deeper.drawPicture(picture, {0, 0, 10, 10});
    EXPECT_EQ(E_FAIL, encodePicture(deeper.finish()).code());
}

TEST(PictureCodecTest, EncodingRefusesWhatCouldNotBeLoaded)
{
    PictureRecorder recorder;
    recorder.fillRect({0, 0, 1 << 25, 10}, 0);
    EXPECT_EQ(E_FAIL, encodePicture(recorder.finish()).code());
}

// Random damage to a stored picture: each result decodes or fails, and what decodes encodes again to bytes
// that decode to the same picture (run under the sanitizers).
TEST(PictureCodecTest, MutatedPicturesDecodeOrFailCleanly)
{
    constexpr int kRounds = 3000;
    const auto seed = encoded(richPicture());
    std::mt19937 random(20261208);
    int failures = 0;
    for (int round = 0; round < kRounds; ++round) {
        auto bytes = seed;
        std::uniform_int_distribution<std::size_t> position(0, bytes.size() - 1);
        const std::size_t at = position(random);
        switch (random() % 3) {
        case 0:
            bytes[at] ^= static_cast<std::uint8_t>(1U << (random() % 8));
            break;
        case 1:
            bytes.resize(at);
            break;
        default:
            if (at + 4 <= bytes.size()) {
                putU32(bytes, at, random() % 2 ? 0x7FFFFFFF : 0xFFFFFFFF);
            }
            break;
        }
        auto decoded = decodePicture(bytes);
        if (!decoded) {
            ++failures;
            continue;
        }
        auto again = encodePicture(*decoded);
        ASSERT_TRUE(again.hasValue()) << again.error().detail;
        auto twice = decodePicture(*again);
        ASSERT_TRUE(twice.hasValue());
        EXPECT_EQ(*again, encoded(*twice));
    }
    EXPECT_GT(failures, kRounds / 10);
}

std::filesystem::path malformedFolder()
{
    if (const char* source = std::getenv("TALVO_SOURCE_DIR")) {
        return std::filesystem::path(source) / "platform" / "gfx" / "tests" / "data" / "malformed";
    }
    return std::filesystem::path(__FILE__).parent_path() / "data" / "malformed";
}

// Kept hostile pictures, "Picture-<what>.bin": each must fail to decode.
TEST(PictureCodecTest, KeptMalformedPicturesFail)
{
    int replayed = 0;
    for (const auto& entry : std::filesystem::directory_iterator(malformedFolder())) {
        SCOPED_TRACE(entry.path().filename().string());
        std::ifstream file(entry.path(), std::ios::binary);
        const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        EXPECT_EQ(E_FAIL, decodePicture(bytes).code());
        ++replayed;
    }
    EXPECT_GE(replayed, 4);
}

} // namespace
} // namespace platform::gfx
