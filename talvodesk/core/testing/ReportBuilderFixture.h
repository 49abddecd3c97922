#pragma once

#include "talvodesk/core/report/ReportLayout.h"

#include "platform/gfx/PictureRecorder.h"
#include "platform/gfx/tests/support/FixedMeasure.h"

#include <gtest/gtest.h>

namespace talvodesk::testsupport {

// A4 on a 600 dots-per-inch printer that cannot print the outer 100 dots of each side: with the default margins
// the layout is (372, 254, 4388, 6562), 4016 wide, and below page 1's header (372, 422, 4388, 6442). Every line of
// the fixed measure is 20 dots high with a leading of 2, so both report lines are 20 + 2 + 2 x 4 = 30.
inline const PrinterPage kA4{4960, 7016, 100, 100, 100, 100, {600, 600}};

/// A report built for Ann's air-rifle practice on that printer, recorded instead of printed.
class ReportBuilderFixture : public ::testing::Test {
protected:
    platform::gfx::testing::FixedMeasure measure; // characters 10 dots wide, lines 20 high
    platform::gfx::PictureRecorder printer{{600, 600}, &measure};
    ReportFonts fonts = MakeReportFonts(u"Arial", 600);
    Printout printout;
    ReportBuilder builder{
        printer, kA4, PageMargins{}, fonts, {u"TALVO Shooter Training System", u"Ann", u"n/a", u"Air Rifle"}, printout};
};

} // namespace talvodesk::testsupport
