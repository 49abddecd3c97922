#include "talvodata/FaceDrawing.h"

#include "platform/gfx/Color.h"
#include "platform/gfx/DrawContext.h"
#include "platform/gfx/Himetric.h"
#include "platform/gfx/Letterbox.h"
#include "platform/gfx/PictureRecorder.h"
#include "platform/gfx/TextFormat.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>

namespace talvodata {

using platform::gfx::Brush;
using platform::gfx::BrushStyle;
using platform::gfx::ClipCombine;
using platform::gfx::DrawContext;
using platform::gfx::Font;
using platform::gfx::Pen;
using platform::gfx::PenStyle;
using platform::gfx::Point;
using platform::gfx::Rect;

namespace {

// Sizes from an event file can be absurd; clamping keeps every device coordinate and width far from overflow.
constexpr double kLargestCoordinate = 1 << 24;
constexpr UINT kCentredLine =
    platform::gfx::DT_CENTER | platform::gfx::DT_VCENTER | platform::gfx::DT_SINGLELINE | platform::gfx::DT_NOCLIP;

struct Direction {
    double u;
    double v;
};
constexpr std::array<Direction, 4> kAxes{{{1, 0}, {-1, 0}, {0, 1}, {0, -1}}};
constexpr std::array<Direction, 4> kDiagonals{
    {{0.7071068, 0.7071068}, {-0.7071068, 0.7071068}, {-0.7071068, -0.7071068}, {0.7071068, -0.7071068}}};

LONG nearest(double value)
{
    if (std::isnan(value)) {
        return 0;
    }
    return static_cast<LONG>(std::lround(std::clamp(value, -kLargestCoordinate, kLargestCoordinate)));
}

COLORREF colorOf(OLE_COLOR color)
{
    return platform::gfx::resolveColor(color);
}

bool isPolyType(enumTargetElementType type)
{
    return type == elementPolyline || type == elementPolygon;
}

// Draws one face in the order the target display relies on: background, clip, elements before the rings, the
// face's picture, the black, rings and numbers, elements after the rings.
class FacePainter {
public:
    FacePainter(DrawContext& context, const FaceLook& face)
        : m_context(context), m_face(face), m_scale(faceScale(face.formWidth, face.formHeight))
    {
    }

    Rect faceRect() const
    {
        return {nearest(-m_scale * double{m_face.formWidth} / 2), nearest(-m_scale * double{m_face.formHeight} / 2),
                nearest(m_scale * double{m_face.formWidth} / 2), nearest(m_scale * double{m_face.formHeight} / 2)};
    }

    void paint(FaceBackground background, FaceRings rings)
    {
        if (background == FaceBackground::Filled) {
            m_context.fillRect(faceRect(), colorOf(m_face.backgroundColor));
        }
        clipToElements();
        drawElements(/*beforeRings=*/true);
        drawFacePicture();
        drawBlack();
        if (rings == FaceRings::Drawn) {
            drawRings();
            drawInnerTen();
            drawNumbers();
        }
        drawElements(/*beforeRings=*/false);
    }

private:
    LONG scaled(double millimetres) const { return nearest(millimetres * m_scale); }

    Rect boxOf(const ElementLook& element) const
    {
        return {scaled(element.left), scaled(element.top), scaled(double{element.left} + element.width),
                scaled(double{element.top} + element.height)};
    }

    std::vector<Point> pointsOf(const ElementLook& element) const
    {
        std::vector<Point> points;
        points.reserve(element.points.size());
        for (const PointF& point : element.points) {
            points.push_back({scaled(point.x), scaled(point.y)});
        }
        return points;
    }

    // A centred circle: its corner and size are rounded separately, so it stays symmetric about the centre.
    Rect circle(float diameter) const
    {
        const LONG corner = nearest(-double{diameter} * m_scale / 2);
        const LONG size = scaled(diameter);
        return {corner, corner, corner + size, corner + size};
    }

    // Clip elements bound the face; polylines close, as they do for scoring, and pictures and texts clip to their
    // box. Elements without an outline (fewer than two points) take no part.
    void clipToElements()
    {
        bool clipped = false;
        for (const ElementLook& element : m_face.elements) {
            if (!element.visible || !element.clip || (isPolyType(element.type) && element.points.size() < 2)) {
                continue;
            }
            m_context.beginPath();
            if (isPolyType(element.type)) {
                m_context.polygon(pointsOf(element));
            } else if (element.type == elementEllipse) {
                m_context.ellipse(boxOf(element));
            } else {
                m_context.rectangle(boxOf(element));
            }
            m_context.endPath();
            m_context.selectClipPath(clipped ? ClipCombine::Union : ClipCombine::Replace);
            clipped = true;
        }
        if (!clipped) {
            m_context.setClipRect(faceRect());
        }
    }

    void drawElements(bool beforeRings)
    {
        for (const ElementLook& element : m_face.elements) {
            if (element.visible && !element.clip && element.drawBeforeRings == beforeRings) {
                drawElement(element);
            }
        }
    }

    void drawElement(const ElementLook& element)
    {
        const Rect box = boxOf(element);
        m_context.setPen({PenStyle::InsideFrame, scaled(element.borderWidth), colorOf(element.borderColor)});
        m_context.setBrush(element.fill ? Brush{BrushStyle::Solid, colorOf(element.bodyColor)}
                                        : Brush{BrushStyle::Hollow, 0});
        switch (element.type) {
        case elementPolyline:
            m_context.polyline(pointsOf(element)); // Fewer than two points draw nothing.
            break;
        case elementPolygon:
            m_context.polygon(pointsOf(element));
            break;
        case elementEllipse:
            m_context.ellipse(box);
            break;
        case elementRectangle:
            m_context.rectangle(box);
            break;
        case elementPicture:
            if (element.picture) {
                // A picture that cannot draw leaves its box empty.
                (void)element.picture->Render(&m_context, box.left, box.top, box.width(), box.height());
            }
            break;
        case elementText:
            drawElementText(element, box);
            break;
        default:
            break; // A type from a newer file: nothing to draw.
        }
    }

    void drawElementText(const ElementLook& element, Rect box)
    {
        if (!element.text) {
            return;
        }
        m_context.setFont({element.font.value_or(u"Times"), scaled(m_face.textHeight), platform::gfx::FW_NORMAL});
        m_context.setTextColor(colorOf(element.bodyColor));
        m_context.setBackgroundMode(platform::gfx::BackgroundMode::Transparent);
        (void)m_context.drawText(*element.text, box, kCentredLine); // A recording measures nothing.
    }

    // Fitted into the face keeping its aspect, in the integer steps hosts of the face picture expect.
    void drawFacePicture()
    {
        if (!m_face.picture) {
            return;
        }
        OLE_XSIZE_HIMETRIC pictureWidth = 0;
        OLE_YSIZE_HIMETRIC pictureHeight = 0;
        Rect box = faceRect();
        if (FAILED(m_face.picture->get_Width(&pictureWidth)) || FAILED(m_face.picture->get_Height(&pictureHeight)) ||
            pictureWidth <= 0 || pictureHeight <= 0 || box.isEmpty()) {
            return;
        }
        box = platform::gfx::letterbox(box, pictureWidth, pictureHeight);
        (void)m_face.picture->Render(&m_context, box.left, box.top, box.width(), box.height()); // Drawn or not.
    }

    void drawBlack()
    {
        if (!(m_face.black > 0)) {
            return;
        }
        m_context.setPen({PenStyle::Null, 0, 0});
        m_context.setBrush({BrushStyle::Solid, colorOf(m_face.blackColor)});
        m_context.ellipse(circle(m_face.black));
    }

    // The ring whose line would lie on the edge of the black is left out: the black's edge is that ring.
    void drawRings()
    {
        for (int n = 10; n >= 1; --n) {
            const float diameter = m_face.rings[n - 1];
            if (!(diameter > 0) || !(std::fabs(m_face.black - diameter) > m_face.ringThickness)) {
                continue;
            }
            const COLORREF color = colorOf(m_face.black < diameter ? m_face.ringColor : m_face.innerRingColor);
            m_context.setPen({PenStyle::InsideFrame, scaled(m_face.ringThickness), color});
            const bool filled = n == 10 && m_face.fillCenter == FillCenter;
            m_context.setBrush(filled ? Brush{BrushStyle::Solid, color} : Brush{BrushStyle::Hollow, 0});
            m_context.ellipse(circle(diameter));
        }
    }

    void drawInnerTen()
    {
        if (!(m_face.innerTen > 0)) {
            return;
        }
        const COLORREF color = colorOf(m_face.innerRingColor);
        m_context.setPen({PenStyle::Solid, 0, color});
        m_context.setBrush(m_face.fillCenter == FillInnerTen ? Brush{BrushStyle::Solid, color}
                                                             : Brush{BrushStyle::Hollow, 0});
        m_context.ellipse(circle(m_face.innerTen));
    }

    // Ring m's number sits midway between its edge and the next ring's, four times. Ring 10 has no next ring,
    // so it never gets a number, whatever the last numbered ring says.
    void drawNumbers()
    {
        m_context.setFont({u"Times", -scaled(m_face.textHeight), platform::gfx::FW_NORMAL});
        m_context.setBackgroundMode(platform::gfx::BackgroundMode::Transparent);
        const auto& directions = m_face.textOrientation == 1 ? kDiagonals : kAxes;
        const LONG last = std::min<LONG>(m_face.lastNumberedRing, 9);
        for (LONG m = 1; m <= last; ++m) {
            const float outer = m_face.rings[m - 1];
            const float inner = m_face.rings[m];
            if (!(outer > 0 && inner > 0 && outer > inner)) {
                continue;
            }
            m_context.setTextColor(colorOf(m_face.black >= outer ? m_face.innerRingColor : m_face.ringColor));
            const double r1 = (double{outer} + inner) / 4 - (double{outer} - inner) / 4;
            const double r2 = (double{outer} + inner) / 4 + (double{outer} - inner) / 4;
            const std::u16string text = platform::com::utf8ToUtf16(std::to_string(m));
            for (const Direction& d : directions) {
                Rect box = Rect{scaled(d.u * r1), scaled(d.v * r1), scaled(d.u * r2), scaled(d.v * r2)}.normalized();
                (void)m_context.drawText(text, box, kCentredLine); // A recording measures nothing.
            }
        }
    }

    DrawContext& m_context;
    const FaceLook& m_face;
    double m_scale;
};

} // namespace

LONG faceScale(float formWidth, float formHeight)
{
    if (formWidth > 500 || formHeight > 500) {
        return 1;
    }
    if (formWidth > 200 || formHeight > 200) {
        return 10;
    }
    if (formWidth > 150 || formHeight > 150) {
        return 50;
    }
    return 100;
}

platform::gfx::Picture drawFace(const FaceLook& face, FaceBackground background, FaceRings rings)
{
    // The reference device of the recording is a 96 dpi screen, as for any picture drawn for display.
    platform::gfx::PictureRecorder recorder;
    FacePainter painter(recorder, face);
    painter.paint(background, rings);
    return recorder.finish(platform::gfx::himetricFromPixels(painter.faceRect(), recorder.resolution()));
}

} // namespace talvodata
