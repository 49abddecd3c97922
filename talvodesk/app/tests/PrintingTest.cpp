#include "talvodesk/app/FrameDialogs.h"
#include "talvodesk/app/MainFrame.h"
#include "talvodesk/app/MessageBoxes.h"
#include "talvodesk/app/tests/support/ProgramRun.h"
#include "talvodesk/core/testing/PracticeFiles.h"
#include "talvodesk/views/PrintPreviewPane.h"
#include "talvodesk/views/SeriesView.h"

#include "platform/registry/tests/support/RegistryFixture.h"

#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QPageLayout>
#include <QPrinter>
#include <QTest>
#include <QToolBar>

#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

using namespace talvodesk;
namespace fs = std::filesystem;

namespace {

std::string run(const std::string& command)
{
    std::string output;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[256];
        while (fgets(buffer, sizeof buffer, pipe) != nullptr) {
            output += buffer;
        }
        pclose(pipe);
    }
    return output;
}

std::string utf8(const std::u16string& text)
{
    return QString::fromStdU16String(text).toStdString();
}

/// The print dialog answered with a PDF file on A4 at 600 dots per inch, every page; Open model with `model`.
class PdfDialogs final : public FrameDialogs {
public:
    bool choosePrinter(QWidget*, QPrinter& printer, const QString&, int pageCount, int& from, int& to) override
    {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString::fromStdString(pdf.string()));
        printer.setResolution(600);
        printer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(5, 5, 5, 5),
                                          QPageLayout::Millimeter));
        from = 1;
        to = pageCount;
        return true;
    }
    std::optional<fs::path> openFromCatalog(QWidget*, const CatalogChoice&) override { return model; }

    fs::path pdf;
    fs::path model;
};

/// The text of each page of a PDF file.
std::vector<std::string> pagesOf(const fs::path& pdf)
{
    std::vector<std::string> pages;
    std::istringstream text(run("pdftotext -layout '" + pdf.string() + "' -"));
    std::string page;
    while (std::getline(text, page, '\f')) {
        pages.push_back(page);
    }
    if (!pages.empty() && pages.back().find_first_not_of(" \n") == std::string::npos) {
        pages.pop_back();
    }
    return pages;
}

/// A digest of pages 1 to `last` drawn at 100 dots per inch: a report that draws anything differently has another.
std::string drawnDigest(const fs::path& pdf, int last)
{
    const std::string sum =
        run("pdftoppm -r 100 -f 1 -l " + std::to_string(last) + " '" + pdf.string() + "' | sha256sum");
    return sum.substr(0, sum.find(' '));
}

int pageCountOf(const fs::path& pdf)
{
    const std::string info = run("pdfinfo '" + pdf.string() + "'");
    const std::size_t at = info.find("Pages:");
    return at == std::string::npos ? 0 : std::stoi(info.substr(at + 6));
}

/// A line of the page that holds nothing but `word`.
bool hasLine(const std::string& page, const std::string& word)
{
    std::istringstream lines(page);
    std::string line;
    while (std::getline(lines, line)) {
        const std::size_t first = line.find_first_not_of(' ');
        if (first != std::string::npos && line.substr(first, line.find_last_not_of(' ') + 1 - first) == word) {
            return true;
        }
    }
    return false;
}

void keepFirstPage(const fs::path& pdf, const std::string& name)
{
    const fs::path artifact = fs::path(TALVO_TEST_ARTIFACTS) / name;
    fs::create_directories(TALVO_TEST_ARTIFACTS);
    EXPECT_EQ(
        0,
        std::system(
            ("pdftoppm -r 50 -png -singlefile -f 1 -l 1 '" + pdf.string() + "' '" + artifact.string() + "'").c_str()));
}

class PrintingTest : public platform::registry::testing::RegistryFixture {
protected:
    PrintingTest()
    {
        setEnvironment("HOME", folder().c_str());
        setEnvironment("XDG_DATA_HOME", nullptr);
        fs::create_directories(folder() / "Talvo catalog");
        // Yes to deleting shots, no to saving at the end; any other message is a failure.
        SetMessageBoxAnswerer([this](const MessageBoxRequest& box) {
            if (box.text.startsWith(QStringLiteral("Do you want to delete"))) {
                return IDYES;
            }
            if (!box.text.startsWith(QStringLiteral("Document was changed"))) {
                boxes.push_back(box.text.toStdString());
            }
            return IDNO;
        });
        dialogs.pdf = folder() / "printed.pdf";
    }
    ~PrintingTest() override { SetMessageBoxAnswerer({}); }

    /// Runs the program on `practice` as main() does; `check` runs once the frame is up, then it exits.
    void runOn(const fs::path& practice, const std::function<void(MainFrame&)>& check)
    {
        EXPECT_EQ(0, testsupport::RunProgramWith({practice.string()}, dialogs, check));
        EXPECT_TRUE(boxes.empty()) << boxes.front();
    }

    PdfDialogs dialogs;
    std::vector<std::string> boxes;
};

TEST_F(PrintingTest, ThePrintCommandWritesEachReportThroughThePrintPath)
{
    struct Case {
        const char* name;
        int match;
        int sighting;
        const char* event;
        bool model;
        const char* eventText;
        int pages;
        /// The pages drawn alike each time: the probability graph is a simulation that draws anew.
        int steady;
        /// What those pages showed when the report was laid out in the views; a deliberate change records anew.
        const char* drawn;
    };
    // Sixty shots: the target and the general information, six serie blocks on two pages, then the five graphs
    // two to a page. A biathlon practice (a serie per aiming here, one shot each) has five-row tables and no time
    // shift or probability graph. Sighting shots alone have no target picture and no serie, and are printed all
    // the same.
    for (const Case& c : {Case{"sixty", 60, 2, "AR10", true, "Air Rifle", 6, 5,
                               "07ac72c32f7d839c8bad3e46f553bc4c6bd935af99d4228b64270ba3ebd635f1"},
                          Case{"biathlon", 20, 0, "BTLN", false, "Biathlon", 6, 6,
                               "e3d28b61b608ee2fbc3827a3ddf07d53f94546aed4b96ab7348f9f0e5b7b5931"},
                          Case{"sighting", 0, 5, "AR10", false, "Air Rifle", 3, 3,
                               "9fe58fdf62f842218a5237839cbf33bd4e6fb2d41e23703e5bf669bff54fc92a"}}) {
        SCOPED_TRACE(c.name);
        const fs::path practice = folder() / (std::string(c.name) + ".talvo");
        (void)testsupport::writeTimedPractice(practice, c.match, c.sighting, c.event);
        dialogs.model = folder() / "model.talvo";
        (void)testsupport::writeTimedPractice(dialogs.model, 60, 0, c.event);
        fs::remove(dialogs.pdf);
        std::vector<std::string> serieTotals;
        runOn(practice, [&](MainFrame& frame) {
            if (c.model) {
                frame.runCommand(cmd::OpenModel);
                EXPECT_TRUE(frame.snapshot().modelValid);
            }
            auto* series = frame.findChild<CSeriesView*>(QStringLiteral("SeriesView"));
            ASSERT_NE(series, nullptr);
            for (const auto& serie : series->logic().group(1).series) {
                serieTotals.push_back(utf8(serie->total.cells[ColumnResult].text));
            }
            frame.runCommand(cmd::Print);
        });
        const int pages = pageCountOf(dialogs.pdf);
        EXPECT_EQ(c.pages, pages);
        const std::vector<std::string> texts = pagesOf(dialogs.pdf);
        ASSERT_EQ(static_cast<std::size_t>(pages), texts.size());
        for (int page = 1; page <= pages; ++page) {
            SCOPED_TRACE(page);
            const std::string& text = texts[static_cast<std::size_t>(page - 1)];
            EXPECT_NE(std::string::npos, text.find("TALVO Shooter Training System")) << text;
            EXPECT_NE(std::string::npos, text.find("Ann")) << text;
            EXPECT_NE(std::string::npos, text.find(c.eventText)) << text;
            EXPECT_TRUE(hasLine(text, std::to_string(page))) << text;
        }
        EXPECT_EQ(c.match > 0, !serieTotals.empty());
        const std::string all = run("pdftotext '" + dialogs.pdf.string() + "' -");
        for (const std::string& total : serieTotals) {
            EXPECT_NE(std::string::npos, all.find(total)) << total;
        }
        EXPECT_NE(std::string::npos, all.find("Number of match shots")) << all;
        EXPECT_EQ(c.drawn, drawnDigest(dialogs.pdf, c.steady));
        keepFirstPage(dialogs.pdf, std::string("report-") + c.name);
    }
}

TEST_F(PrintingTest, TheShotMenusPrintPutsTheClickedShotOnAPageOfItsOwn)
{
    const fs::path practice = folder() / "twelve.talvo";
    (void)testsupport::writeTimedPractice(practice, 12, 0);
    runOn(practice, [&](MainFrame& frame) {
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));
        auto* view = frame.findChild<CSeriesView*>(QStringLiteral("SeriesView"));
        ASSERT_NE(view, nullptr);
        // The splitter gives the pane its width once the window has shown; a user clicks a row then.
        ASSERT_TRUE(QTest::qWaitFor([&] { return view->viewport()->width() > 0; }, 5000));
        const CStatisticsRow& row = view->logic().group(1).series.front()->rows[2];
        const platform::gfx::Rect at = view->logic().ToClient(row.rect);
        QTest::mousePress(view->viewport(), Qt::RightButton, {},
                          QPoint(static_cast<int>(at.left + 2), static_cast<int>(at.top + 2)));
        QMenu* menu = view->shotMenu();
        ASSERT_NE(menu, nullptr);
        ASSERT_EQ(3, menu->actions().size());
        EXPECT_EQ(QStringLiteral("Print"), menu->actions()[2]->text());
        menu->actions()[2]->trigger();
        menu->close();
    });
    ASSERT_EQ(1, pageCountOf(dialogs.pdf));
    const std::string text = run("pdftotext '" + dialogs.pdf.string() + "' -");
    EXPECT_NE(std::string::npos, text.find("Shot number 3 of 12")) << text;
    EXPECT_EQ(std::string::npos, text.find("Number of match shots")) << text;
    EXPECT_EQ("d0e2820d94508b604da0aa915fad59c7038768f8e9cba5d4a03e1854b108392f", drawnDigest(dialogs.pdf, 1));
    keepFirstPage(dialogs.pdf, "shot-page");
}

TEST_F(PrintingTest, ThePreviewTakesTheViewsPlaceIsPagedAndFollowsTheDocumentUntilClosed)
{
    const fs::path practice = folder() / "sixty.talvo";
    (void)testsupport::writeTimedPractice(practice, 60, 2);
    runOn(practice, [&](MainFrame& frame) {
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));
        auto* previewBar = frame.findChild<QToolBar*>(QStringLiteral("PreviewToolBar"));
        auto* mainBar = frame.findChild<QToolBar*>(QStringLiteral("MainToolBar"));
        QWidget* views = frame.centralWidget();
        ASSERT_NE(views, nullptr);
        frame.runCommand(cmd::PrintPreview);
        auto* preview = dynamic_cast<PrintPreviewPane*>(frame.centralWidget());
        ASSERT_NE(preview, nullptr);
        EXPECT_FALSE(views->isVisible());
        EXPECT_TRUE(previewBar->isVisible());
        EXPECT_FALSE(mainBar->isVisible());
        EXPECT_FALSE(frame.menuBar()->isVisible());
        EXPECT_TRUE(frame.snapshot().previewOpen);
        EXPECT_EQ(0, preview->page());

        // Forward to the last of the six pages and one beyond, which stays there, then back.
        const std::vector<cmd::Id> steps{cmd::PreviewNextPage,     cmd::PreviewNextPage,    cmd::PreviewNextPage,
                                         cmd::PreviewNextPage,     cmd::PreviewNextPage,    cmd::PreviewNextPage,
                                         cmd::PreviewPreviousPage, cmd::PreviewPreviousPage};
        const std::vector<int> shown{1, 2, 3, 4, 5, 5, 4, 3};
        for (std::size_t i = 0; i < steps.size(); ++i) {
            frame.runCommand(steps[i]);
            EXPECT_EQ(shown[i], preview->page()) << i;
        }
        const QImage page = preview->grab().toImage();
        EXPECT_NE(page.pixel(page.width() / 2, page.height() / 2), page.pixel(2, 2)); // paper on the background
        const fs::path artifacts = fs::path(TALVO_TEST_ARTIFACTS);
        fs::create_directories(artifacts);
        EXPECT_TRUE(page.save(QString::fromStdString((artifacts / "print-preview.png").string())));

        // Deleting the sighting shots changes the document: the report is laid out again from its first page.
        frame.runCommand(cmd::DeleteSightingShots);
        EXPECT_EQ(0U, frame.snapshot().sightingShots);
        EXPECT_EQ(preview, frame.centralWidget());
        EXPECT_EQ(0, preview->page());

        frame.runCommand(cmd::PreviewClose);
        EXPECT_EQ(views, frame.centralWidget());
        EXPECT_TRUE(views->isVisible());
        EXPECT_FALSE(previewBar->isVisible());
        EXPECT_TRUE(mainBar->isVisible());
        EXPECT_TRUE(frame.menuBar()->isVisible());
        EXPECT_FALSE(frame.snapshot().previewOpen);
    });
}

} // namespace
