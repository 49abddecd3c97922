#include "talvodesk/app/tests/support/PrintedPdf.h"

#include <algorithm>
#include <cstdio>
#include <regex>

namespace talvodesk::testsupport {

namespace {

constexpr double kMillimetresPerPoint = 25.4 / 72;

std::string quoted(const std::filesystem::path& path)
{
    return "'" + path.string() + "'";
}

} // namespace

std::string RunCommand(const std::string& command)
{
    std::string output;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[4096];
        std::size_t read = 0;
        while ((read = fread(buffer, 1, sizeof buffer, pipe)) > 0) {
            output.append(buffer, read);
        }
        pclose(pipe);
    }
    return output;
}

std::string PdfTitle(const std::filesystem::path& pdf)
{
    std::smatch match;
    const std::string info = RunCommand("pdfinfo " + quoted(pdf));
    return std::regex_search(info, match, std::regex("Title: *([^\\n]*)")) ? match[1].str() : std::string();
}

int PdfPageCount(const std::filesystem::path& pdf)
{
    std::smatch match;
    const std::string info = RunCommand("pdfinfo " + quoted(pdf));
    return std::regex_search(info, match, std::regex("Pages: *([0-9]+)")) ? std::stoi(match[1].str()) : 0;
}

namespace {

/// The number in `attribute="..."` of the tag at `from`.
double attributeOf(const std::string& text, std::size_t from, const std::string& attribute)
{
    const std::string key = attribute + "=\"";
    const std::size_t at = text.find(key, from);
    return at == std::string::npos ? 0.0 : std::stod(text.substr(at + key.size(), 32));
}

} // namespace

std::vector<PdfWord> PdfWords(const std::filesystem::path& pdf, int page, double& paperWidth, double& paperHeight)
{
    const std::string pageArgument = std::to_string(page);
    const std::string html =
        RunCommand("pdftotext -bbox -f " + pageArgument + " -l " + pageArgument + " " + quoted(pdf) + " -");
    const std::size_t pageTag = html.find("<page ");
    paperWidth = pageTag == std::string::npos ? 0.0 : attributeOf(html, pageTag, "width") * kMillimetresPerPoint;
    paperHeight = pageTag == std::string::npos ? 0.0 : attributeOf(html, pageTag, "height") * kMillimetresPerPoint;
    std::vector<PdfWord> words;
    for (std::size_t at = html.find("<word "); at != std::string::npos; at = html.find("<word ", at + 1)) {
        const std::size_t textStart = html.find('>', at) + 1;
        const std::size_t textEnd = html.find("</word>", textStart);
        words.push_back({html.substr(textStart, textEnd - textStart),
                         {attributeOf(html, at, "xMin") * kMillimetresPerPoint,
                          attributeOf(html, at, "yMin") * kMillimetresPerPoint,
                          attributeOf(html, at, "xMax") * kMillimetresPerPoint,
                          attributeOf(html, at, "yMax") * kMillimetresPerPoint}});
    }
    return words;
}

PdfRaster RasterOf(const std::filesystem::path& pdf, int page, int dpi)
{
    const std::string pageArgument = std::to_string(page);
    const std::string pgm = RunCommand("pdftoppm -gray -r " + std::to_string(dpi) + " -f " + pageArgument + " -l " +
                                       pageArgument + " -singlefile " + quoted(pdf));
    PdfRaster raster;
    raster.dpi = dpi;
    int maximum = 0;
    int header = 0;
    if (std::sscanf(pgm.c_str(), "P5 %d %d %d%n", &raster.width, &raster.height, &maximum, &header) != 3 ||
        maximum != 255) {
        return {};
    }
    const std::size_t size = static_cast<std::size_t>(raster.width) * raster.height;
    if (pgm.size() != header + 1 + size) { // one blank ends the header
        return {};
    }
    raster.grey.assign(pgm.begin() + header + 1, pgm.end());
    return raster;
}

PaperBox LongestDarkRun(const PdfRaster& raster, int fromRow, int toRow)
{
    int bestLeft = 0;
    int bestLength = 0;
    for (int y = std::max(fromRow, 0); y <= std::min(toRow, raster.height - 1); ++y) {
        for (int x = 0; x < raster.width;) {
            if (!raster.dark(x, y)) {
                ++x;
                continue;
            }
            const int left = x;
            while (x < raster.width && raster.dark(x, y)) {
                ++x;
            }
            if (x - left > bestLength) {
                bestLength = x - left;
                bestLeft = left;
            }
        }
    }
    return {raster.millimetres(bestLeft), 0, raster.millimetres(bestLeft + bestLength), 0};
}

PaperBox DarkBounds(const PdfRaster& raster)
{
    int left = raster.width;
    int top = raster.height;
    int right = -1;
    int bottom = -1;
    const unsigned char* row = raster.grey.data();
    for (int y = 0; y < raster.height; ++y, row += raster.width) {
        for (int x = 0; x < raster.width; ++x) {
            if (row[x] < 128) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = y;
            }
        }
    }
    if (right < 0) {
        return {};
    }
    return {raster.millimetres(left), raster.millimetres(top), raster.millimetres(right + 1),
            raster.millimetres(bottom + 1)};
}

} // namespace talvodesk::testsupport
