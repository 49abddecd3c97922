#include "platform/gfx/TextLayout.h"

#include "platform/gfx/TextFormat.h"
#include "platform/gfx/TextMeasure.h"

#include <algorithm>

namespace platform::gfx {

namespace {

constexpr LONG kTabStopChars = 8;

class LineMeasure {
public:
    LineMeasure(const Font& font, const TextMeasure& measure, bool expandTabs, LONG aveCharWidth)
        : m_font(font), m_measure(measure), m_expandTabs(expandTabs),
          m_tabWidth(std::max<LONG>(1, kTabStopChars * aveCharWidth))
    {
    }

    LONG width(std::u16string_view line) const
    {
        LONG x = 0;
        forEachSegment(
            line, [&](LONG segmentX, std::u16string_view segment) { x = segmentX + m_measure.width(m_font, segment); });
        return x;
    }

    void appendRuns(std::u16string_view line, Point topLeft, std::vector<TextRun>& runs) const
    {
        forEachSegment(line, [&](LONG segmentX, std::u16string_view segment) {
            if (!segment.empty()) {
                runs.push_back({{topLeft.x + segmentX, topLeft.y}, std::u16string(segment)});
            }
        });
    }

private:
    // Calls f(x, segment) for the tab-free segments of a line; without tab expansion the line is one segment.
    template <typename F> void forEachSegment(std::u16string_view line, F&& f) const
    {
        if (!m_expandTabs) {
            f(0, line);
            return;
        }
        LONG x = 0;
        for (;;) {
            const std::size_t tab = line.find(u'\t');
            const std::u16string_view segment = line.substr(0, tab);
            f(x, segment);
            if (tab == std::u16string_view::npos) {
                return;
            }
            x += m_measure.width(m_font, segment);
            x = (x / m_tabWidth + 1) * m_tabWidth;
            line.remove_prefix(tab + 1);
        }
    }

    const Font& m_font;
    const TextMeasure& m_measure;
    bool m_expandTabs;
    LONG m_tabWidth;
};

std::vector<std::u16string_view> splitParagraphs(std::u16string_view text)
{
    std::vector<std::u16string_view> paragraphs;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != u'\r' && text[i] != u'\n') {
            continue;
        }
        paragraphs.push_back(text.substr(start, i - start));
        if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') {
            ++i;
        }
        start = i + 1;
    }
    paragraphs.push_back(text.substr(start));
    return paragraphs;
}

std::size_t skipSpaces(std::u16string_view text, std::size_t from)
{
    while (from < text.size() && text[from] == u' ') {
        ++from;
    }
    return from;
}

// Greedy word wrap of one paragraph into lines no wider than maxWidth where the words allow it.
void wrapParagraph(std::u16string_view paragraph, LONG maxWidth, bool breakWords, const LineMeasure& measure,
                   std::vector<std::u16string_view>& lines)
{
    std::size_t start = 0;
    do {
        std::size_t lineEnd = start;   // end of the line before the last space run
        std::size_t nextStart = start; // first character after that space run
        std::size_t spaceRun = start;
        std::size_t i = start;
        for (; i < paragraph.size(); ++i) {
            if (paragraph[i] == u' ') {
                if (i == start || paragraph[i - 1] != u' ') {
                    spaceRun = i;
                }
                continue;
            }
            if (i > start && paragraph[i - 1] == u' ' && spaceRun > start) {
                lineEnd = spaceRun;
                nextStart = i;
            }
            if (measure.width(paragraph.substr(start, i + 1 - start)) > maxWidth) {
                break;
            }
        }
        if (i == paragraph.size()) {
            lines.push_back(paragraph.substr(start));
            return;
        }
        if (lineEnd > start) {
            lines.push_back(paragraph.substr(start, lineEnd - start));
            start = nextStart;
        } else if (breakWords) {
            const std::size_t end = std::max(i, start + 1);
            lines.push_back(paragraph.substr(start, end - start));
            start = end;
        } else {
            const std::size_t end = std::min(paragraph.find(u' ', i), paragraph.size());
            lines.push_back(paragraph.substr(start, end - start));
            start = skipSpaces(paragraph, end);
        }
    } while (start < paragraph.size());
}

std::vector<std::u16string_view> splitLines(std::u16string_view text, const Rect& rect, UINT format,
                                            const LineMeasure& measure)
{
    if (text.empty()) {
        return {};
    }
    if ((format & DT_SINGLELINE) != 0) {
        return {text};
    }
    std::vector<std::u16string_view> lines;
    for (std::u16string_view paragraph : splitParagraphs(text)) {
        if ((format & DT_WORDBREAK) != 0 && !paragraph.empty()) {
            wrapParagraph(paragraph, rect.width(), (format & DT_EDITCONTROL) != 0, measure, lines);
        } else {
            lines.push_back(paragraph);
        }
    }
    return lines;
}

LONG firstLineTop(const Rect& rect, UINT format, LONG lineHeight)
{
    if ((format & DT_SINGLELINE) == 0) {
        return rect.top;
    }
    if ((format & DT_VCENTER) != 0) {
        return rect.top + (rect.height() - lineHeight) / 2;
    }
    if ((format & DT_BOTTOM) != 0) {
        return rect.bottom - lineHeight;
    }
    return rect.top;
}

LONG lineLeft(const Rect& rect, UINT format, LONG lineWidth)
{
    if ((format & DT_CENTER) != 0) {
        return rect.left + (rect.width() - lineWidth) / 2;
    }
    if ((format & DT_RIGHT) != 0) {
        return rect.right - lineWidth;
    }
    return rect.left;
}

} // namespace

TextLayout layoutText(std::u16string_view text, const Rect& rect, UINT format, const Font& font,
                      const TextMeasure& measure)
{
    const TextMetrics metrics = measure.metrics(font);
    const LineMeasure lineMeasure(font, measure, (format & DT_EXPANDTABS) != 0, metrics.aveCharWidth);
    const std::vector<std::u16string_view> lines = splitLines(text, rect, format, lineMeasure);

    TextLayout layout;
    const LONG top = firstLineTop(rect, format, metrics.height);
    LONG widest = 0;
    LONG y = top;
    for (std::u16string_view line : lines) {
        const LONG width = lineMeasure.width(line);
        widest = std::max(widest, width);
        lineMeasure.appendRuns(line, {lineLeft(rect, format, width), y}, layout.runs);
        y += metrics.height;
    }
    const LONG textHeight = static_cast<LONG>(lines.size()) * metrics.height;
    layout.extent = {rect.left, rect.top, rect.left + widest, rect.top + textHeight};
    layout.height = top - rect.top + textHeight;
    return layout;
}

} // namespace platform::gfx
