#include "platform/gfx/PictureCodec.h"

#include "platform/gfx/Bitmap.h"
#include "platform/gfx/DrawContext.h"
#include "platform/gfx/Himetric.h"
#include "platform/gfx/MulDiv.h"
#include "platform/gfx/PictureRecorder.h"
#include "platform/gfx/TextFormat.h"

#include <cmath>
#include <optional>
#include <string>

namespace platform::gfx {

namespace {

enum class Kind : std::uint8_t {
    Empty = 0,
    Recording = 1,
    Bitmap = 2,
};

// Operation tags. Stored in files: never renumber, only add.
enum class Tag : std::uint8_t {
    Pen = 1,
    Brush = 2,
    Font = 3,
    TextColor = 4,
    BackgroundColor = 5,
    BackgroundMode = 6,
    TextAlign = 7,
    RasterOp = 8,
    Save = 9,
    Restore = 10,
    Polyline = 11,
    Polygon = 12,
    Rectangle = 13,
    Ellipse = 14,
    FillRect = 15,
    ShadeRect = 16,
    TextOut = 17,
    DrawText = 18,
    ClipRect = 19,
    ClearClip = 20,
    BeginPath = 21,
    EndPath = 22,
    SelectClipPath = 23,
    DrawPicture = 24,
    DrawBitmap = 25,
};

// Coordinates, lengths and font sizes stay far inside 32 bits, so widths and scaled positions never overflow.
constexpr LONG kMaxCoordinate = 1 << 24;
constexpr LONG kMaxResolution = 25400;
constexpr LONG kMaxBitmapSide = 1 << 15;
constexpr int kMaxNesting = 8;

class ByteWriter {
public:
    explicit ByteWriter(std::vector<std::uint8_t>& out) : m_out(out) {}

    void u8(std::uint8_t value) { m_out.push_back(value); }
    void u32(std::uint32_t value)
    {
        for (int shift = 0; shift < 32; shift += 8) {
            m_out.push_back(static_cast<std::uint8_t>(value >> shift));
        }
    }
    void i32(std::int32_t value) { u32(static_cast<std::uint32_t>(value)); }
    void tag(Tag value) { u8(static_cast<std::uint8_t>(value)); }
    void point(Point value)
    {
        i32(value.x);
        i32(value.y);
    }
    void rect(const Rect& value)
    {
        i32(value.left);
        i32(value.top);
        i32(value.right);
        i32(value.bottom);
    }
    void text(std::u16string_view value)
    {
        u32(static_cast<std::uint32_t>(value.size()));
        for (char16_t c : value) {
            u8(static_cast<std::uint8_t>(c & 0xFF));
            u8(static_cast<std::uint8_t>(c >> 8));
        }
    }
    void points(std::span<const Point> value)
    {
        u32(static_cast<std::uint32_t>(value.size()));
        for (const Point& p : value) {
            point(p);
        }
    }
    void resolution(Resolution value)
    {
        i32(value.x);
        i32(value.y);
    }

private:
    std::vector<std::uint8_t>& m_out;
};

Status encodeBody(const Picture& picture, std::vector<std::uint8_t>& out, int depth);

// Captures a picture's playback at its own bounds (scale 1) as stored operations. State is written only when a
// drawing call sees it changed, as the recorder does.
class PictureEncoder final : public DrawContext {
public:
    PictureEncoder(std::vector<std::uint8_t>& ops, int depth) : m_ops(ops), m_out(ops), m_depth(depth) {}

    std::uint32_t count() const { return m_count; }
    const std::optional<Error>& error() const { return m_error; }

    Resolution resolution() const override { return {}; }
    void polyline(std::span<const Point> points) override { figure(Tag::Polyline, points); }
    void polygon(std::span<const Point> points) override { figure(Tag::Polygon, points); }
    void rectangle(const Rect& rect) override { boxed(Tag::Rectangle, rect); }
    void ellipse(const Rect& rect) override { boxed(Tag::Ellipse, rect); }
    void fillRect(const Rect& rect, COLORREF color) override
    {
        op(Tag::FillRect);
        m_out.rect(rect);
        m_out.u32(color);
    }
    void shadeRect(const Rect& rect) override
    {
        op(Tag::ShadeRect);
        m_out.rect(rect);
    }
    TextMetrics textMetrics() const override { return {}; }
    Size textExtent(std::u16string_view) const override { return {}; }
    void textOut(Point point, std::u16string_view text) override
    {
        syncState();
        op(Tag::TextOut);
        m_out.point(point);
        m_out.text(text);
    }
    LONG drawText(std::u16string_view text, Rect& rect, UINT format) override
    {
        syncState();
        op(Tag::DrawText);
        m_out.rect(rect);
        m_out.text(text);
        m_out.u32(format);
        return 0;
    }
    void setClipRect(const Rect& rect) override
    {
        op(Tag::ClipRect);
        m_out.rect(rect);
    }
    void clearClip() override { op(Tag::ClearClip); }
    void beginPath() override { op(Tag::BeginPath); }
    void endPath() override { op(Tag::EndPath); }
    void selectClipPath(ClipCombine combine) override
    {
        op(Tag::SelectClipPath);
        m_out.u8(static_cast<std::uint8_t>(combine));
    }
    void drawPicture(const Picture& picture, const Rect& rect) override
    {
        if (m_error) {
            return;
        }
        if (m_depth + 1 > kMaxNesting) {
            m_error = Error{E_FAIL, "pictures nested deeper than " + std::to_string(kMaxNesting)};
            return;
        }
        op(Tag::DrawPicture);
        m_out.rect(rect);
        if (Status nested = encodeBody(picture, m_ops, m_depth + 1); !nested) {
            m_error = nested.error();
        }
    }
    void drawBitmap(const Bitmap& bitmap, const Rect& rect) override
    {
        op(Tag::DrawBitmap);
        m_out.rect(rect);
        m_out.i32(bitmap.width);
        m_out.i32(bitmap.height);
        for (COLORREF pixel : bitmap.pixels) {
            m_out.u32(pixel);
        }
    }

private:
    // The save and restore that Picture::play wraps around every playback are not part of the picture.
    void onSave() override
    {
        if (m_saveDepth++ > 0) {
            op(Tag::Save);
            m_writtenSaved.push_back(m_written);
        }
    }
    void onRestore() override
    {
        if (--m_saveDepth > 0) {
            op(Tag::Restore);
            if (!m_writtenSaved.empty()) {
                m_written = m_writtenSaved.back();
                m_writtenSaved.pop_back();
            }
        }
    }

    void op(Tag tag)
    {
        m_out.tag(tag);
        ++m_count;
    }
    void figure(Tag tag, std::span<const Point> points)
    {
        syncState();
        op(tag);
        m_out.points(points);
    }
    void boxed(Tag tag, const Rect& rect)
    {
        syncState();
        op(tag);
        m_out.rect(rect);
    }
    void syncState()
    {
        const DrawState& current = state();
        if (current.pen != m_written.pen) {
            op(Tag::Pen);
            m_out.u8(static_cast<std::uint8_t>(current.pen.style));
            m_out.i32(current.pen.width);
            m_out.u32(current.pen.color);
        }
        if (current.brush != m_written.brush) {
            op(Tag::Brush);
            m_out.u8(static_cast<std::uint8_t>(current.brush.style));
            m_out.u32(current.brush.color);
        }
        if (current.font != m_written.font) {
            op(Tag::Font);
            m_out.text(current.font.faceName);
            m_out.i32(current.font.height);
            m_out.i32(current.font.weight);
            m_out.u8(current.font.italic ? 1 : 0);
            m_out.i32(current.font.escapement);
        }
        if (current.textColor != m_written.textColor) {
            op(Tag::TextColor);
            m_out.u32(current.textColor);
        }
        if (current.backgroundColor != m_written.backgroundColor) {
            op(Tag::BackgroundColor);
            m_out.u32(current.backgroundColor);
        }
        if (current.backgroundMode != m_written.backgroundMode) {
            op(Tag::BackgroundMode);
            m_out.u8(static_cast<std::uint8_t>(current.backgroundMode));
        }
        if (current.textAlign != m_written.textAlign) {
            op(Tag::TextAlign);
            m_out.u32(current.textAlign);
        }
        if (current.rasterOp != m_written.rasterOp) {
            op(Tag::RasterOp);
            m_out.u8(static_cast<std::uint8_t>(current.rasterOp));
        }
        m_written = current;
    }

    std::vector<std::uint8_t>& m_ops;
    ByteWriter m_out;
    int m_depth;
    std::uint32_t m_count = 0;
    int m_saveDepth = 0;
    DrawState m_written;
    std::vector<DrawState> m_writtenSaved;
    std::optional<Error> m_error;
};

// A resolution at which `pixels` of one axis give `himetric`, checked by the conversion the loader uses.
template <typename Matches> std::optional<LONG> findResolution(LONG pixelExtent, LONG himetricExtent, Matches matches)
{
    const LONG guess =
        himetricExtent != 0
            ? static_cast<LONG>(std::llround(static_cast<double>(pixelExtent) * kHimetricPerInch / himetricExtent))
            : Resolution{}.x;
    for (LONG candidate : {guess, guess - 1, guess + 1, guess - 2, guess + 2}) {
        if (candidate >= 1 && candidate <= kMaxResolution && matches(candidate)) {
            return candidate;
        }
    }
    return std::nullopt;
}

Status encodeBitmap(const Picture& picture, ByteWriter& out)
{
    const Bitmap& bitmap = *picture.bitmap();
    const Rect& frame = picture.frame();
    const auto x = findResolution(bitmap.width, frame.width(),
                                  [&](LONG r) { return MulDiv(bitmap.width, kHimetricPerInch, r) == frame.right; });
    const auto y = findResolution(bitmap.height, frame.height(),
                                  [&](LONG r) { return MulDiv(bitmap.height, kHimetricPerInch, r) == frame.bottom; });
    if (!x || !y) {
        return Error{E_FAIL, "bitmap picture size does not follow from its pixels at any resolution"};
    }
    out.u8(static_cast<std::uint8_t>(Kind::Bitmap));
    out.resolution({*x, *y});
    out.i32(bitmap.width);
    out.i32(bitmap.height);
    for (COLORREF pixel : bitmap.pixels) {
        out.u32(pixel);
    }
    return {};
}

Status encodeRecording(const Picture& picture, std::vector<std::uint8_t>& bytes, int depth)
{
    const Rect& bounds = picture.bounds();
    const Rect& frame = picture.frame();
    const auto x = findResolution(bounds.width(), frame.width(), [&](LONG r) {
        return MulDiv(frame.left, r, kHimetricPerInch) == bounds.left &&
               MulDiv(frame.right, r, kHimetricPerInch) == bounds.right;
    });
    const auto y = findResolution(bounds.height(), frame.height(), [&](LONG r) {
        return MulDiv(frame.top, r, kHimetricPerInch) == bounds.top &&
               MulDiv(frame.bottom, r, kHimetricPerInch) == bounds.bottom;
    });
    if (!x || !y) {
        return Error{E_FAIL, "picture bounds do not follow from its frame at any resolution"};
    }
    std::vector<std::uint8_t> ops;
    PictureEncoder encoder(ops, depth);
    picture.play(encoder, bounds);
    if (encoder.error()) {
        return *encoder.error();
    }
    ByteWriter out(bytes);
    out.u8(static_cast<std::uint8_t>(Kind::Recording));
    out.rect(frame);
    out.resolution({*x, *y});
    out.u32(encoder.count());
    bytes.insert(bytes.end(), ops.begin(), ops.end());
    return {};
}

Status encodeBody(const Picture& picture, std::vector<std::uint8_t>& out, int depth)
{
    if (picture.isBitmap()) {
        ByteWriter writer(out);
        return encodeBitmap(picture, writer);
    }
    if (picture.isEmpty()) {
        out.push_back(static_cast<std::uint8_t>(Kind::Empty));
        return {};
    }
    return encodeRecording(picture, out, depth);
}

// Reads the stored form; the first failure sticks and every later read yields zeros.
class ByteReader {
public:
    explicit ByteReader(std::span<const std::uint8_t> bytes) : m_bytes(bytes) {}

    bool ok() const { return !m_error; }
    const Error& error() const { return *m_error; }
    std::size_t left() const { return m_bytes.size() - m_offset; }
    void fail(std::string detail)
    {
        if (!m_error) {
            m_error = Error{E_FAIL, std::move(detail) + " at byte " + std::to_string(m_offset)};
        }
    }

    std::uint8_t u8()
    {
        if (!ok() || left() < 1) {
            fail("picture data ends early");
            return 0;
        }
        return m_bytes[m_offset++];
    }
    std::uint32_t u32()
    {
        if (!ok() || left() < 4) {
            fail("picture data ends early");
            return 0;
        }
        std::uint32_t value = 0;
        for (int i = 0; i < 4; ++i) {
            value |= static_cast<std::uint32_t>(m_bytes[m_offset++]) << (8 * i);
        }
        return value;
    }
    std::int32_t i32() { return static_cast<std::int32_t>(u32()); }
    LONG ranged(LONG low, LONG high, const char* what)
    {
        const LONG value = i32();
        if (value < low || value > high) {
            fail(std::string(what) + " " + std::to_string(value) + " out of range");
            return 0;
        }
        return value;
    }
    LONG coordinate() { return ranged(-kMaxCoordinate, kMaxCoordinate, "coordinate"); }
    template <typename Enum> Enum choice(Enum last, const char* what)
    {
        const std::uint8_t value = u8();
        if (value > static_cast<std::uint8_t>(last)) {
            fail(std::string(what) + " " + std::to_string(value) + " unknown");
            return Enum{};
        }
        return static_cast<Enum>(value);
    }
    Point point()
    {
        const LONG x = coordinate();
        return {x, coordinate()};
    }
    Rect rect()
    {
        const LONG left = coordinate();
        const LONG top = coordinate();
        const LONG right = coordinate();
        return {left, top, right, coordinate()};
    }
    /// Checks that count items of itemSize bytes can follow before anything is allocated for them.
    bool fits(std::uint64_t count, std::uint64_t itemSize)
    {
        if (ok() && count * itemSize > left()) {
            fail("count " + std::to_string(count) + " exceeds the " + std::to_string(left()) + " bytes left");
        }
        return ok();
    }
    std::u16string text()
    {
        const std::uint32_t length = u32();
        std::u16string value;
        if (!fits(length, 2)) {
            return value;
        }
        value.reserve(length);
        for (std::uint32_t i = 0; i < length; ++i) {
            const std::uint8_t low = u8();
            value.push_back(static_cast<char16_t>(low | (u8() << 8)));
        }
        return value;
    }
    std::vector<Point> points()
    {
        const std::uint32_t count = u32();
        std::vector<Point> value;
        if (!fits(count, 8)) {
            return value;
        }
        value.reserve(count);
        for (std::uint32_t i = 0; i < count && ok(); ++i) {
            value.push_back(point());
        }
        return value;
    }
    Resolution resolution()
    {
        const LONG x = ranged(1, kMaxResolution, "resolution");
        return {x, ranged(1, kMaxResolution, "resolution")};
    }
    Bitmap bitmap()
    {
        Bitmap value;
        value.width = ranged(1, kMaxBitmapSide, "bitmap width");
        value.height = ranged(1, kMaxBitmapSide, "bitmap height");
        const auto count = static_cast<std::uint64_t>(value.width) * static_cast<std::uint64_t>(value.height);
        if (!fits(count, 4)) {
            return value;
        }
        value.pixels.reserve(count);
        for (std::uint64_t i = 0; i < count; ++i) {
            value.pixels.push_back(u32());
        }
        return value;
    }

private:
    std::span<const std::uint8_t> m_bytes;
    std::size_t m_offset = 0;
    std::optional<Error> m_error;
};

Result<Picture> decodeBody(ByteReader& in, int depth);

// Replays stored operations into a recorder, one at a time.
class OpDecoder {
public:
    OpDecoder(ByteReader& in, PictureRecorder& recorder, int depth) : m_in(in), m_recorder(recorder), m_depth(depth) {}

    void decode()
    {
        const auto tag = static_cast<Tag>(m_in.u8());
        if (!m_in.ok()) {
            return;
        }
        if (decodeState(tag) || decodeFigure(tag) || decodeOther(tag)) {
            return;
        }
        m_in.fail("unknown operation " + std::to_string(static_cast<int>(tag)));
    }

private:
    bool decodeState(Tag tag)
    {
        switch (tag) {
        case Tag::Pen: {
            Pen pen;
            pen.style = m_in.choice(PenStyle::InsideFrame, "pen style");
            pen.width = m_in.ranged(0, kMaxCoordinate, "pen width");
            pen.color = m_in.u32();
            m_recorder.setPen(pen);
            return true;
        }
        case Tag::Brush: {
            Brush brush;
            brush.style = m_in.choice(BrushStyle::Hollow, "brush style");
            brush.color = m_in.u32();
            m_recorder.setBrush(brush);
            return true;
        }
        case Tag::Font: {
            Font font;
            font.faceName = m_in.text();
            font.height = m_in.coordinate();
            font.weight = m_in.ranged(0, 1000, "font weight");
            font.italic = m_in.u8() != 0;
            font.escapement = m_in.coordinate();
            m_recorder.setFont(font);
            return true;
        }
        case Tag::TextColor:
            m_recorder.setTextColor(m_in.u32());
            return true;
        case Tag::BackgroundColor:
            m_recorder.setBackgroundColor(m_in.u32());
            return true;
        case Tag::BackgroundMode:
            m_recorder.setBackgroundMode(m_in.choice(BackgroundMode::Opaque, "background mode"));
            return true;
        case Tag::TextAlign:
            m_recorder.setTextAlign(m_in.u32());
            return true;
        case Tag::RasterOp:
            m_recorder.setRasterOp(m_in.choice(RasterOp::NotXorPen, "raster operation"));
            return true;
        case Tag::Save:
            m_recorder.save();
            ++m_saves;
            return true;
        case Tag::Restore:
            if (m_saves == 0) {
                m_in.fail("restore without save");
                return true;
            }
            m_recorder.restore();
            --m_saves;
            return true;
        default:
            return false;
        }
    }

    bool decodeFigure(Tag tag)
    {
        switch (tag) {
        case Tag::Polyline:
        case Tag::Polygon: {
            const std::vector<Point> points = m_in.points();
            if (m_in.ok()) {
                tag == Tag::Polyline ? m_recorder.polyline(points) : m_recorder.polygon(points);
            }
            return true;
        }
        case Tag::Rectangle:
        case Tag::Ellipse: {
            const Rect rect = m_in.rect();
            if (m_in.ok()) {
                tag == Tag::Rectangle ? m_recorder.rectangle(rect) : m_recorder.ellipse(rect);
            }
            return true;
        }
        case Tag::FillRect: {
            const Rect rect = m_in.rect();
            const COLORREF color = m_in.u32();
            if (m_in.ok()) {
                m_recorder.fillRect(rect, color);
            }
            return true;
        }
        case Tag::ShadeRect: {
            const Rect rect = m_in.rect();
            if (m_in.ok()) {
                m_recorder.shadeRect(rect);
            }
            return true;
        }
        default:
            return false;
        }
    }

    bool decodeOther(Tag tag)
    {
        switch (tag) {
        case Tag::TextOut: {
            const Point point = m_in.point();
            const std::u16string text = m_in.text();
            if (m_in.ok()) {
                m_recorder.textOut(point, text);
            }
            return true;
        }
        case Tag::DrawText: {
            Rect rect = m_in.rect();
            const std::u16string text = m_in.text();
            const UINT format = m_in.u32() & ~DT_CALCRECT;
            if (m_in.ok()) {
                (void)m_recorder.drawText(text, rect, format); // A recording measures nothing.
            }
            return true;
        }
        case Tag::ClipRect: {
            const Rect rect = m_in.rect();
            if (m_in.ok()) {
                m_recorder.setClipRect(rect);
            }
            return true;
        }
        case Tag::ClearClip:
            m_recorder.clearClip();
            return true;
        case Tag::BeginPath:
            m_recorder.beginPath();
            return true;
        case Tag::EndPath:
            m_recorder.endPath();
            return true;
        case Tag::SelectClipPath:
            m_recorder.selectClipPath(m_in.choice(ClipCombine::Union, "clip combination"));
            return true;
        case Tag::DrawPicture: {
            const Rect rect = m_in.rect();
            if (!m_in.ok()) {
                return true;
            }
            if (m_depth + 1 > kMaxNesting) {
                m_in.fail("pictures nested deeper than " + std::to_string(kMaxNesting));
                return true;
            }
            Result<Picture> nested = decodeBody(m_in, m_depth + 1);
            if (nested) {
                m_recorder.drawPicture(*nested, rect);
            }
            return true;
        }
        case Tag::DrawBitmap: {
            const Rect rect = m_in.rect();
            const Bitmap bitmap = m_in.bitmap();
            if (m_in.ok()) {
                m_recorder.drawBitmap(bitmap, rect);
            }
            return true;
        }
        default:
            return false;
        }
    }

    ByteReader& m_in;
    PictureRecorder& m_recorder;
    int m_depth;
    int m_saves = 0;
};

Result<Picture> decodeRecording(ByteReader& in, int depth)
{
    const Rect frame = in.rect();
    const Resolution resolution = in.resolution();
    const std::uint32_t count = in.u32();
    if (!in.fits(count, 1)) { // Every operation takes at least its tag byte.
        return in.error();
    }
    PictureRecorder recorder(resolution);
    OpDecoder decoder(in, recorder, depth);
    for (std::uint32_t i = 0; i < count && in.ok(); ++i) {
        decoder.decode();
    }
    if (!in.ok()) {
        return in.error();
    }
    return recorder.finish(frame);
}

Result<Picture> decodeBody(ByteReader& in, int depth)
{
    const Kind kind = in.choice(Kind::Bitmap, "picture kind");
    if (!in.ok()) {
        return in.error();
    }
    switch (kind) {
    case Kind::Empty:
        return Picture{};
    case Kind::Recording:
        return decodeRecording(in, depth);
    case Kind::Bitmap: {
        const Resolution resolution = in.resolution();
        Bitmap bitmap = in.bitmap();
        if (!in.ok()) {
            return in.error();
        }
        return Picture::fromBitmap(std::move(bitmap), resolution);
    }
    }
    return Error{E_FAIL, "unknown picture kind"};
}

} // namespace

Result<std::vector<std::uint8_t>> encodePicture(const Picture& picture)
{
    std::vector<std::uint8_t> bytes;
    if (Status status = encodeBody(picture, bytes, 0); !status) {
        return status.error();
    }
    // What is written must load again: values beyond the reader's limits fail here, not in a later load.
    if (Result<Picture> check = decodePicture(bytes); !check) {
        return Error{E_FAIL, "picture cannot be stored: " + check.error().detail};
    }
    return bytes;
}

Result<Picture> decodePicture(std::span<const std::uint8_t> bytes)
{
    ByteReader in(bytes);
    Result<Picture> picture = decodeBody(in, 0);
    if (picture && in.left() != 0) {
        return Error{E_FAIL, std::to_string(in.left()) + " bytes follow the picture"};
    }
    return picture;
}

} // namespace platform::gfx
