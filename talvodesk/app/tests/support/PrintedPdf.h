#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace talvodesk::testsupport {

// What a printed PDF file holds, read back with the poppler tools: its title, its words where they stand, and its
// pages drawn at a known resolution.

/// The standard output of a shell command.
std::string RunCommand(const std::string& command);

/// The document's title ("Title:" of pdfinfo); empty when it has none.
std::string PdfTitle(const std::filesystem::path& pdf);
int PdfPageCount(const std::filesystem::path& pdf);

/// A rectangle on the paper in millimetres from its top left corner.
struct PaperBox {
    double left = 0;
    double top = 0;
    double right = 0;
    double bottom = 0;
};

struct PdfWord {
    std::string text;
    /// The box of its font's ascent and descent, as pdftotext gives it.
    PaperBox box;
};
/// The words of page `page` (1-based), and the paper's size in millimetres.
std::vector<PdfWord> PdfWords(const std::filesystem::path& pdf, int page, double& paperWidth, double& paperHeight);

/// Page `page` drawn in grey at `dpi` dots per inch.
struct PdfRaster {
    int width = 0;
    int height = 0;
    int dpi = 0;
    std::vector<unsigned char> grey;

    bool dark(int x, int y) const { return grey[static_cast<std::size_t>(y) * width + x] < 128; }
    double millimetres(int pixels) const { return pixels * 25.4 / dpi; }
};
PdfRaster RasterOf(const std::filesystem::path& pdf, int page, int dpi);

/// The longest horizontal run of dark pixels in the rows from `fromRow` to `toRow`: its left edge and its right edge
/// (just past its last pixel) in millimetres; both 0 without one.
PaperBox LongestDarkRun(const PdfRaster& raster, int fromRow, int toRow);
/// The box of every dark pixel, edges included, in millimetres; all 0 on a blank page.
PaperBox DarkBounds(const PdfRaster& raster);

} // namespace talvodesk::testsupport
