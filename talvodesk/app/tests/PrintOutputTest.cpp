#include "talvodesk/app/FrameDialogs.h"
#include "talvodesk/app/MainFrame.h"
#include "talvodesk/app/MessageBoxes.h"
#include "talvodesk/app/PageSetupDlg.h"
#include "talvodesk/app/PrintTargetDlg.h"
#include "talvodesk/app/tests/support/PrintedPdf.h"
#include "talvodesk/app/tests/support/ProgramRun.h"
#include "talvodesk/core/testing/PracticeFiles.h"

#include "platform/com/ComPtr.h"
#include "platform/registry/tests/support/RegistryFixture.h"

#include <QApplication>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QListWidget>
#include <QPageLayout>
#include <QPrinter>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

using namespace talvodesk;
using namespace talvodesk::testsupport;
namespace fs = std::filesystem;

namespace {

/// The print dialog answered with a PDF file at 600 dots per inch in `orientation`, every page.
class PdfDialogs final : public FrameDialogs {
public:
    bool choosePrinter(QWidget*, QPrinter& printer, const QString& file, int pageCount, int& from, int& to) override
    {
        offered.push_back(file);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString::fromStdString(pdf.string()));
        printer.setResolution(600);
        printer.setPageSize(QPageSize(paper));
        printer.setPageOrientation(orientation);
        from = 1;
        to = pageCount;
        return true;
    }

    fs::path pdf;
    QPageSize::PageSizeId paper = QPageSize::A4;
    QPageLayout::Orientation orientation = QPageLayout::Portrait;
    std::vector<QString> offered;
};

/// Runs `answer` on the modal dialog of type Dialog as soon as it shows.
template <typename Dialog> void whenShown(const std::function<void(Dialog&)>& answer)
{
    QTimer::singleShot(0, qApp, [answer] {
        auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr) {
            ADD_FAILURE() << "no " << Dialog::staticMetaObject.className() << " shows";
            return;
        }
        answer(*dialog);
    });
}

/// Print setup through its dialog: the PDF file, `paper` and `margins` (millimetres).
void setUpPage(MainFrame& frame, QPageSize::PageSizeId paper, const std::array<double, 4>& margins)
{
    whenShown<PageSetupDlg>([paper, margins](PageSetupDlg& dialog) {
        auto* printers = dialog.findChild<QComboBox*>(QStringLiteral("printer"));
        printers->setCurrentIndex(printers->count() - 1); // Print to File (PDF)
        auto* papers = dialog.findChild<QComboBox*>(QStringLiteral("paper"));
        papers->setCurrentIndex(papers->findText(QPageSize(paper).name()));
        const char* names[] = {"left", "top", "right", "bottom"};
        for (std::size_t side = 0; side < margins.size(); ++side) {
            dialog.findChild<QDoubleSpinBox*>(QString::fromLatin1(names[side]))->setValue(margins[side]);
        }
        dialog.accept();
    });
    frame.runCommand(cmd::PrintSetup);
}

/// The print-target tool over the frame: `event` chosen, printed, closed.
void printTarget(MainFrame& frame, const QString& event)
{
    whenShown<CPrintTargetDlg>([event](CPrintTargetDlg& dialog) {
        auto* events = dialog.findChild<QListWidget*>(QStringLiteral("1004"));
        const auto found = events->findItems(event, Qt::MatchStartsWith);
        if (found.size() != 1) {
            ADD_FAILURE() << "no single event " << event.toStdString();
        } else {
            events->setCurrentItem(found.front());
            dialog.findChild<QPushButton*>(QStringLiteral("1086"))->click();
        }
        dialog.reject();
    });
    frame.runCommand(cmd::PrintTarget);
}

void printShot(MainFrame& frame, LONG index)
{
    platform::com::ComPtr<IShotCollection> shots;
    platform::com::ComPtr<IShot> shot;
    ASSERT_TRUE(frame.document().GetMatchShots(shots) && shots && SUCCEEDED(shots->get_Item(index, shot.put())));
    ASSERT_TRUE(frame.document().SetCurrentShot(shot.get()));
    frame.runCommand(cmd::ShotPrint);
}

class PrintOutputTest : public platform::registry::testing::RegistryFixture {
protected:
    PrintOutputTest()
    {
        setEnvironment("HOME", folder().c_str());
        setEnvironment("XDG_DATA_HOME", nullptr);
        fs::create_directories(folder() / "Talvo catalog");
        SetMessageBoxAnswerer([this](const MessageBoxRequest& box) {
            if (!box.text.startsWith(QStringLiteral("Document was changed"))) {
                boxes.push_back(box.text.toStdString());
            }
            return IDNO;
        });
        practice = folder() / "twenty-five.talvo";
        (void)writeTimedPractice(practice, 25, 0);
    }
    ~PrintOutputTest() override { SetMessageBoxAnswerer({}); }

    void runOn(const std::function<void(MainFrame&)>& check)
    {
        EXPECT_EQ(0, RunProgramWith({practice.string()}, dialogs, check));
    }

    PdfDialogs dialogs;
    fs::path practice;
    std::vector<std::string> boxes;
};

/// The header's extent on page `page`: the rule from the left edge to the right one, the top of the program's name
/// and the bottom of the page number, in millimetres from the paper's top left corner.
PaperBox headerExtent(const fs::path& pdf, int page, double& paperWidth, double& paperHeight)
{
    const std::vector<PdfWord> words = PdfWords(pdf, page, paperWidth, paperHeight);
    PaperBox extent;
    const PdfRaster raster = RasterOf(pdf, page, 300);
    const PaperBox rule = LongestDarkRun(raster, 0, raster.height / 4);
    extent.left = rule.left;
    extent.right = rule.right;
    for (const PdfWord& word : words) {
        if (word.text == "TALVO") {
            extent.top = word.box.top;
        }
        if (word.text == std::to_string(page) && word.box.top > paperHeight / 2) {
            extent.bottom = word.box.bottom;
        }
    }
    return extent;
}

TEST_F(PrintOutputTest, EveryMarginHoldsOnEverySideOfTheReportTheShotPageAndTheTargetPage)
{
    struct Case {
        const char* name;
        QPageSize::PageSizeId paper;
        QPageLayout::Orientation orientation;
        std::array<double, 4> margins; // left, top, right, bottom
    };
    const Case cases[] = {
        {"A4", QPageSize::A4, QPageLayout::Portrait, {20, 15, 10, 30}},
        {"A4 landscape", QPageSize::A4, QPageLayout::Landscape, {20, 15, 10, 30}},
        {"Letter", QPageSize::Letter, QPageLayout::Portrait, {20, 15, 10, 30}},
        {"Letter landscape, the larger margins right and below",
         QPageSize::Letter,
         QPageLayout::Landscape,
         {12, 18, 25, 22}},
    };
    constexpr double kWithin = 0.5;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        dialogs.paper = c.paper;
        dialogs.orientation = c.orientation;
        const fs::path report = folder() / "report.pdf";
        const fs::path shotPage = folder() / "shot.pdf";
        const fs::path target = folder() / "target.pdf";
        runOn([&](MainFrame& frame) {
            setUpPage(frame, c.paper, c.margins);
            dialogs.pdf = report;
            frame.runCommand(cmd::Print);
            dialogs.pdf = shotPage;
            printShot(frame, 3);
            dialogs.pdf = target;
            printTarget(frame, QStringLiteral("Smallbore Free Rifle"));
        });
        ASSERT_TRUE(boxes.empty()) << boxes.front();
        const QSizeF paper = QPageSize(c.paper).size(QPageSize::Millimeter);
        const bool landscape = c.orientation == QPageLayout::Landscape;
        const double width = landscape ? paper.height() : paper.width();
        const double height = landscape ? paper.width() : paper.height();
        const auto [left, top, right, bottom] = c.margins;

        const int pages = PdfPageCount(report);
        ASSERT_GE(pages, 3);
        for (const auto& [pdf, page] : {std::pair{report, 1}, std::pair{report, pages}, std::pair{shotPage, 1}}) {
            SCOPED_TRACE(pdf.filename().string() + " page " + std::to_string(page));
            double paperWidth = 0;
            double paperHeight = 0;
            const PaperBox extent = headerExtent(pdf, page, paperWidth, paperHeight);
            EXPECT_NEAR(width, paperWidth, 0.1);
            EXPECT_NEAR(height, paperHeight, 0.1);
            EXPECT_NEAR(left, extent.left, kWithin);
            EXPECT_NEAR(width - right, extent.right, kWithin);
            EXPECT_NEAR(top, extent.top, kWithin);
            EXPECT_NEAR(height - bottom, extent.bottom, kWithin);
        }

        // The target page's 170 mm frame, one pixel of the 600 dots per inch printer wide, stands on the paper's
        // centre.
        const PaperBox frameBox = DarkBounds(RasterOf(target, 1, 600));
        EXPECT_NEAR((width - 170) / 2, frameBox.left, kWithin);
        EXPECT_NEAR((width + 170) / 2, frameBox.right, kWithin);
        EXPECT_NEAR((height - 170) / 2, frameBox.top, kWithin);
        EXPECT_NEAR((height + 170) / 2, frameBox.bottom, kWithin);
    }
}

} // namespace
