#include "talvodesk/app/FrameDialogs.h"
#include "talvodesk/app/MainFrame.h"
#include "talvodesk/app/MessageBoxes.h"
#include "talvodesk/app/PageSetupDlg.h"
#include "talvodesk/app/PrintTargetDlg.h"
#include "talvodesk/app/tests/support/PrintedPdf.h"
#include "talvodesk/app/tests/support/ProgramRun.h"
#include "talvodesk/core/report/PrintFile.h"
#include "talvodesk/core/testing/PracticeFiles.h"
#include "talvodesk/views/PrintPreviewPane.h"

#include "platform/com/ComPtr.h"
#include "platform/registry/tests/support/RegistryFixture.h"

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPageLayout>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolBar>

#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include <sys/resource.h>

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
    platform::com::ComPtr<IShot> current;
    ASSERT_TRUE(frame.document().GetMatchShots(shots) && shots && SUCCEEDED(shots->get_Item(index, shot.put())));
    (void)frame.document().SetCurrentShot(shot.get()); // false when it is current already
    ASSERT_TRUE(frame.document().GetCurrentShot(current) && current.get() == shot.get());
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
    /// The report, the page of match shot `shot` and the target tool's page, each into its file.
    void printEach(MainFrame& frame, LONG shot)
    {
        dialogs.pdf = report;
        frame.runCommand(cmd::Print);
        dialogs.pdf = shotPage;
        printShot(frame, shot);
        dialogs.pdf = target;
        printTarget(frame, QStringLiteral("Smallbore Free Rifle"));
    }

    PdfDialogs dialogs;
    fs::path practice;
    fs::path report = folder() / "report.pdf";
    fs::path shotPage = folder() / "shot.pdf";
    fs::path target = folder() / "target.pdf";
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
        runOn([&](MainFrame& frame) {
            setUpPage(frame, c.paper, c.margins);
            printEach(frame, 3);
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

TEST_F(PrintOutputTest, EveryJobGoesOutUnderItsDocumentName)
{
    std::string title;
    runOn([&](MainFrame& frame) {
        title = frame.windowTitle().toStdString();
        printEach(frame, 1);
    });
    ASSERT_TRUE(boxes.empty()) << boxes.front();
    ASSERT_NE(std::string::npos, title.find('/')) << title; // the practice's date
    EXPECT_EQ(title, PdfTitle(report));
    EXPECT_EQ(title, PdfTitle(shotPage));
    EXPECT_EQ("Print target tool", PdfTitle(target));
    // Each is offered as a file of its name in the catalog, or the home folder for the tool.
    const fs::path catalog = folder() / "Talvo catalog";
    ASSERT_EQ(3U, dialogs.offered.size());
    const QString named = QString::fromStdU16String(
        DefaultPrintFile(QString::fromStdString(title).toStdU16String(), catalog, folder()).u16string());
    EXPECT_EQ(named, dialogs.offered[0]);
    EXPECT_EQ(named, dialogs.offered[1]);
    EXPECT_EQ(QString::fromStdString((folder() / "Print target tool.pdf").string()), dialogs.offered[2]);
}

/// The print dialog of the program itself, answered as a user would: Print to File under the offered name, OK.
class RealPrintDialog final : public FrameDialogs {};

TEST_F(PrintOutputTest, TheDefaultFileOfAPrintToFileIsValidAndThePrintSucceedsWithIt)
{
    RealPrintDialog real;
    QString offered;
    std::vector<std::string> warnings;
    const auto acceptOffered = [&] {
        whenShown<QPrintDialog>([&](QPrintDialog& dialog) {
            auto* printers = dialog.findChild<QComboBox*>(QStringLiteral("printers"));
            auto* file = dialog.findChild<QLineEdit*>(QStringLiteral("filename"));
            auto* buttons = dialog.findChild<QDialogButtonBox*>();
            if (printers == nullptr || file == nullptr || buttons == nullptr) {
                ADD_FAILURE() << "the print dialog lacks its printer list, file field or buttons";
                dialog.reject();
                return;
            }
            printers->setCurrentIndex(printers->count() - 1); // Print to File (PDF)
            offered = file->text();
            // A name the dialog refuses opens its warning over it; the warning is recorded and closed.
            QTimer::singleShot(0, qApp, [&warnings, &dialog] {
                if (auto* warning = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                    warnings.push_back(warning->text().toStdString());
                    warning->reject();
                    dialog.reject();
                }
            });
            buttons->button(QDialogButtonBox::Ok)->click();
        });
    };
    std::string title;
    EXPECT_EQ(0, RunProgramWith({practice.string()}, real, [&](MainFrame& frame) {
                  title = frame.windowTitle().toStdString();
                  acceptOffered();
                  frame.runCommand(cmd::Print);
              }));
    EXPECT_TRUE(warnings.empty()) << warnings.front();
    ASSERT_TRUE(boxes.empty()) << boxes.front();
    const fs::path file = offered.toStdString();
    EXPECT_EQ(folder() / "Talvo catalog", file.parent_path());
    EXPECT_EQ(".pdf", file.extension());
    EXPECT_EQ(std::string::npos, file.filename().string().find('/'));
    ASSERT_TRUE(fs::exists(file)) << file;
    EXPECT_EQ(title, PdfTitle(file));
    EXPECT_GE(PdfPageCount(file), 3);
}

/// Files may not grow past `bytes` while it lives, as on a full disk; a write beyond fails instead of killing.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &m_saved);
        m_handler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limited = m_saved;
        limited.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_saved);
        std::signal(SIGXFSZ, m_handler);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit m_saved{};
    void (*m_handler)(int) = nullptr;
};

TEST_F(PrintOutputTest, APdfThatCannotBeWrittenWholeIsReportedAndLeavesNoFile)
{
    constexpr rlim_t kRoom = 64 * 1024;
    const fs::path whole = folder() / "whole.pdf";
    const fs::path cut = folder() / "cut.pdf";
    runOn([&](MainFrame& frame) {
        dialogs.pdf = whole;
        frame.runCommand(cmd::Print);
        dialogs.pdf = cut;
        const FileSizeLimit full(kRoom);
        frame.runCommand(cmd::Print);
    });
    ASSERT_TRUE(fs::exists(whole));
    ASSERT_GT(fs::file_size(whole), kRoom); // the report needs more room than there is
    EXPECT_EQ(std::vector<std::string>{"Print operation failed."}, boxes);
    for (const fs::directory_entry& entry : fs::directory_iterator(folder())) {
        EXPECT_NE(0U, entry.path().filename().string().rfind("cut", 0)) << entry.path(); // nor a part of it
    }
}

TEST_F(PrintOutputTest, ThePreviewCountsItsPagesStepsOnlyWhereThereIsAPageAndPrintsWhatItShows)
{
    const fs::path pdf = folder() / "previewed.pdf";
    dialogs.pdf = pdf;
    int pages = 0;
    runOn([&](MainFrame& frame) {
        frame.runCommand(cmd::PrintPreview);
        auto* preview = qobject_cast<PrintPreviewPane*>(frame.centralWidget());
        ASSERT_NE(preview, nullptr);
        auto* bar = frame.findChild<QToolBar*>(QStringLiteral("PreviewToolBar"));
        auto* text = bar->findChild<QLabel*>(QStringLiteral("PreviewPageText"));
        ASSERT_NE(text, nullptr);
        EXPECT_TRUE(text->isVisible());
        const auto button = [bar](cmd::Id id) {
            for (QAction* action : bar->actions()) {
                if (action->data().toInt() == static_cast<int>(id)) {
                    return action;
                }
            }
            return static_cast<QAction*>(nullptr);
        };
        QAction* next = button(cmd::PreviewNextPage);
        QAction* previous = button(cmd::PreviewPreviousPage);
        QAction* print = button(cmd::Print);
        ASSERT_TRUE(next && previous && print);
        const QString first = text->text();
        pages = first.section(QLatin1Char(' '), -1).toInt();
        ASSERT_GE(pages, 3);
        struct Step {
            QAction* press;
            int page;
            bool nextEnabled;
            bool previousEnabled;
        };
        std::vector<Step> steps{{nullptr, 1, true, false}};
        for (int page = 2; page <= pages; ++page) {
            steps.push_back({next, page, page < pages, true});
        }
        for (int page = pages - 1; page >= 1; --page) {
            steps.push_back({previous, page, true, page > 1});
        }
        for (const Step& step : steps) {
            if (step.press != nullptr) {
                ASSERT_TRUE(step.press->isEnabled());
                step.press->trigger();
            }
            EXPECT_EQ(QStringLiteral("Page %1 of %2").arg(step.page).arg(pages), text->text());
            EXPECT_EQ(step.page - 1, preview->page());
            EXPECT_EQ(step.nextEnabled, next->isEnabled()) << step.page;
            EXPECT_EQ(step.previousEnabled, previous->isEnabled()) << step.page;
        }
        ASSERT_TRUE(print->isEnabled());
        print->trigger();
        EXPECT_EQ(preview, frame.centralWidget()); // still previewing
        frame.runCommand(cmd::PreviewClose);
    });
    ASSERT_TRUE(boxes.empty()) << boxes.front();
    EXPECT_EQ(pages, PdfPageCount(pdf));
}

/// How many of the pixels from `from` to `to` (inclusive) along a row (or a column) of `image` are dark.
double darkShare(const QImage& image, bool row, int at, int from, int to)
{
    int dark = 0;
    for (int i = from; i <= to; ++i) {
        dark += qGray(row ? image.pixel(i, at) : image.pixel(at, i)) < 128 ? 1 : 0;
    }
    return static_cast<double>(dark) / (to - from + 1);
}

TEST_F(PrintOutputTest, TheTargetToolsPreviewShowsThePageAndItsOnePixelFrameWhenItOpens)
{
    QImage shown;
    runOn([&](MainFrame& frame) {
        whenShown<CPrintTargetDlg>([&shown](CPrintTargetDlg& dialog) {
            auto* events = dialog.findChild<QListWidget*>(QStringLiteral("1004"));
            events->setCurrentItem(events->findItems(QStringLiteral("Smallbore Free Rifle"), Qt::MatchStartsWith)[0]);
            dialog.findChild<QPushButton*>(QStringLiteral("1081"))->click();
            EXPECT_TRUE(QTest::qWaitForWindowExposed(&dialog));
            shown = dialog.findChild<PrintPreviewPane*>(QStringLiteral("1084"))->grab().toImage();
            dialog.reject();
        });
        frame.runCommand(cmd::PrintTarget);
    });
    ASSERT_FALSE(shown.isNull());
    fs::create_directories(TALVO_TEST_ARTIFACTS);
    shown.save(QString::fromStdString((fs::path(TALVO_TEST_ARTIFACTS) / "print-target-preview.png").string()));
    // The page is a twentieth of its printed size or less, the frame one printer pixel: its first dark pixels from
    // each side along the centre row and column, then each side dark from end to end.
    const int centreX = shown.width() / 2;
    const int centreY = shown.height() / 2;
    const auto firstDark = [&shown](bool row, int at, int from, int step) {
        for (int i = from; i >= 0 && i < (row ? shown.width() : shown.height()); i += step) {
            if (qGray(row ? shown.pixel(i, at) : shown.pixel(at, i)) < 128) {
                return i;
            }
        }
        return -1;
    };
    const int left = firstDark(true, centreY, 0, 1);
    const int right = firstDark(true, centreY, shown.width() - 1, -1);
    const int top = firstDark(false, centreX - (centreX - left) / 2, 0, 1);
    const int bottom = firstDark(false, centreX, shown.height() - 1, -1);
    ASSERT_TRUE(left > 0 && right > left && top > 0 && bottom > top)
        << left << " " << right << " " << top << " " << bottom;
    EXPECT_NEAR(right - left, bottom - top, 2); // a square
    for (const auto& [row, at, from, to] :
         {std::tuple{true, top, left, right}, std::tuple{true, bottom, left, right},
          std::tuple{false, left, top, bottom}, std::tuple{false, right, top, bottom}}) {
        EXPECT_GT(darkShare(shown, row, at, from, to), 0.95) << (row ? "row " : "column ") << at;
    }
    // The face's rings, hairlines too, show inside.
    EXPECT_GT(darkShare(shown, true, centreY, left + 1, right - 1), 0.02);
}

} // namespace
