#include "talvodesk/app/PageSetupDlg.h"
#include "talvodesk/core/options/AppModule.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QPrinter>
#include <QRadioButton>

#include <gtest/gtest.h>

#include <cmath>

using namespace talvodesk;

namespace {

template <typename Control> Control* control(const PageSetupDlg& dialog, const char* name)
{
    auto* found = dialog.findChild<Control*>(QString::fromLatin1(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
}

TEST(PageSetupDlgTest, MarginsAreAskedInMillimetresAndTheOrientationIsShownButFixed)
{
    struct Case {
        const char* name;
        QPageLayout::Orientation orientation;
        PageMargins margins;
        /// Typed into the left margin, and the paper chosen.
        double left;
        QPageSize::PageSizeId paper;
        PageMargins taken;
    };
    const Case cases[] = {
        {"portrait",
         QPageLayout::Portrait,
         {2000, 1500, 1000, 3000},
         25.5,
         QPageSize::Letter,
         {2550, 1500, 1000, 3000}},
        {"landscape", QPageLayout::Landscape, {2000, 1500, 2000, 1500}, 12.3, QPageSize::A5, {1230, 1500, 2000, 1500}},
        // No margin takes half its side: 150 mm on A4's 210 mm width is held at 104 mm.
        {"a margin too wide",
         QPageLayout::Portrait,
         {2000, 1500, 2000, 1500},
         150,
         QPageSize::A4,
         {10400, 1500, 2000, 1500}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QPrinter printer;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setPageSize(QPageSize(QPageSize::A4));
        printer.setPageOrientation(c.orientation);
        PageSetupDlg dialog(ModuleOrEnglish(nullptr), printer, c.margins, nullptr);

        auto* portrait = control<QRadioButton>(dialog, "portrait");
        auto* landscape = control<QRadioButton>(dialog, "landscape");
        EXPECT_FALSE(portrait->isEnabled());
        EXPECT_FALSE(landscape->isEnabled());
        EXPECT_EQ(c.orientation == QPageLayout::Landscape, landscape->isChecked());
        EXPECT_EQ(c.orientation == QPageLayout::Portrait, portrait->isChecked());
        const std::pair<const char*, LONG> shown[] = {
            {"left", c.margins.left}, {"top", c.margins.top}, {"right", c.margins.right}, {"bottom", c.margins.bottom}};
        for (const auto& [name, hundredths] : shown) {
            auto* box = control<QDoubleSpinBox>(dialog, name);
            EXPECT_EQ(hundredths / 100.0, box->value()) << name;
            EXPECT_EQ(QStringLiteral(" mm"), box->suffix()) << name;
        }
        EXPECT_EQ(QStringLiteral("A4"), control<QComboBox>(dialog, "paper")->currentText());

        control<QDoubleSpinBox>(dialog, "left")->setValue(c.left);
        auto* papers = control<QComboBox>(dialog, "paper");
        papers->setCurrentIndex(papers->findText(QPageSize(c.paper).name()));
        EXPECT_EQ(c.taken, dialog.apply(printer));
        EXPECT_EQ(c.paper, printer.pageLayout().pageSize().id());
        EXPECT_EQ(c.orientation, printer.pageLayout().orientation());
        EXPECT_EQ(QPrinter::PdfFormat, printer.outputFormat());
        // The printer keeps only its unprintable edges; the margins are the layout's.
        const QMarginsF own = printer.pageLayout().margins(QPageLayout::Millimeter);
        EXPECT_EQ(printer.pageLayout().minimumMargins(), printer.pageLayout().margins());
        EXPECT_LT(own.left(), 0.01);
    }
}

} // namespace
