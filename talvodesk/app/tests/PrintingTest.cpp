#include "talvodesk/app/FrameDialogs.h"
#include "talvodesk/app/MainFrame.h"
#include "talvodesk/app/MessageBoxes.h"
#include "talvodesk/core/Options.h"
#include "talvodesk/core/ServerLockMonitor.h"
#include "talvodesk/core/tests/support/PracticeFiles.h"

#include "talvoboard/Register.h"

#include "platform/com/ClassTable.h"
#include "platform/registry/tests/support/RegistryFixture.h"
#include "platform/time/Clock.h"

#include <QMenuBar>
#include <QPageLayout>
#include <QPrinter>
#include <QSplitter>
#include <QToolBar>

#include <gtest/gtest.h>

#include <cstdio>
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

/// The print dialog answered with a PDF file on A4 at 600 dots per inch, every page.
class PdfDialogs final : public FrameDialogs {
public:
    bool choosePrinter(QWidget*, QPrinter& printer, int pageCount, int& from, int& to) override
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
    fs::path pdf;
};

class PrintingTest : public platform::registry::testing::RegistryFixture {
protected:
    PrintingTest()
    {
        SetMessageBoxAnswerer([this](const MessageBoxRequest& box) {
            messages.push_back(box.text.toStdString());
            return IDOK;
        });
        talvoboard::registerClasses(platform::com::ClassTable::instance());
        (void)module.Init(environment);
        dialogs.pdf = folder() / "report.pdf";
        frame = std::make_unique<MainFrame>(MainFrame::Services{module, environment, options, monitor, clock, dialogs});
    }
    ~PrintingTest() override
    {
        frame.reset();
        SetMessageBoxAnswerer({});
    }

    void open(const char* name, int match, int sighting, const char* event = "AR10")
    {
        const fs::path path = folder() / name;
        testsupport::writePractice(path, match, sighting, event);
        ASSERT_TRUE(frame->openFile(path)) << (messages.empty() ? std::string() : messages.back());
    }
    std::string printedText() { return run("pdftotext -layout '" + dialogs.pdf.string() + "' -"); }

    platform::time::SystemClock clock;
    CTalvoAppModule module;
    CTalvoAppModule::Environment environment{nullptr, 0x409, folder() / "lang", folder() / "help"};
    COptions options;
    ServerLockMonitor monitor{clock, [] {}};
    PdfDialogs dialogs;
    std::unique_ptr<MainFrame> frame;
    std::vector<std::string> messages;
};

TEST_F(PrintingTest, PrintWritesTheReportThroughThePrintPath)
{
    struct Case {
        const char* name;
        int match;
        int sighting;
        const char* event;
        const char* eventText;
    };
    // A practice of sighting shots only has no target picture to print, and is printed all the same.
    for (const Case& c :
         {Case{"sixty.talvo", 60, 0, "AR10", "Air Rifle"}, Case{"sighting.talvo", 0, 5, "AR10", "Air Rifle"},
          Case{"biathlon.talvo", 20, 0, "BTLN", "Biathlon"}}) {
        SCOPED_TRACE(c.name);
        open(c.name, c.match, c.sighting, c.event);
        fs::remove(dialogs.pdf);
        frame->runCommand(cmd::Print);
        ASSERT_TRUE(messages.empty()) << messages.front();
        const std::string text = printedText();
        EXPECT_NE(std::string::npos, text.find("TALVO Shooter Training System")) << text;
        EXPECT_NE(std::string::npos, text.find("Ann")) << text;
        EXPECT_NE(std::string::npos, text.find(c.eventText)) << text;
        EXPECT_NE(std::string::npos, run("pdfinfo '" + dialogs.pdf.string() + "'").find("Pages:"));
        const fs::path artifact = fs::path(TALVO_TEST_ARTIFACTS) / (std::string("report-") + c.name);
        fs::create_directories(TALVO_TEST_ARTIFACTS);
        EXPECT_EQ(0, std::system(("pdftoppm -r 60 -png -singlefile -f 1 '" + dialogs.pdf.string() + "' '" +
                                  artifact.string() + "'")
                                     .c_str()));
    }
}

TEST_F(PrintingTest, ThePreviewTakesTheViewsPlaceUntilClosed)
{
    open("sixty.talvo", 60, 0);
    auto* preview = frame->findChild<QToolBar*>(QStringLiteral("PreviewToolBar"));
    auto* main = frame->findChild<QToolBar*>(QStringLiteral("MainToolBar"));
    frame->show();
    frame->runCommand(cmd::PrintPreview);
    ASSERT_TRUE(messages.empty()) << messages.front();
    ASSERT_NE(nullptr, frame->centralWidget());
    EXPECT_EQ("PrintPreview", frame->centralWidget()->objectName().toStdString());
    EXPECT_TRUE(preview->isVisible());
    EXPECT_FALSE(main->isVisible());
    EXPECT_FALSE(frame->menuBar()->isVisible());
    EXPECT_TRUE(frame->snapshot().previewOpen);

    frame->runCommand(cmd::PreviewNextPage); // one page: it stays on the first
    frame->runCommand(cmd::PreviewPreviousPage);
    frame->document().UpdateAllViews(nullptr, DocumentHint{0}); // a change lays the report out again
    EXPECT_EQ("PrintPreview", frame->centralWidget()->objectName().toStdString());

    frame->runCommand(cmd::PreviewClose);
    EXPECT_EQ("Splitter", frame->centralWidget()->objectName().toStdString());
    EXPECT_FALSE(preview->isVisible());
    EXPECT_TRUE(main->isVisible());
    EXPECT_TRUE(frame->menuBar()->isVisible());
    EXPECT_FALSE(frame->snapshot().previewOpen);
}

} // namespace
