#include "talvodesk/app/PrintTargetDlg.h"

#include "talvodesk/app/MessageBoxes.h"
#include "talvodesk/app/internal/UpDownControl.h"
#include "talvodesk/core/options/AppModule.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPageLayout>
#include <QPushButton>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

using namespace talvodesk;
namespace fs = std::filesystem;

namespace {

constexpr int kDpi = 600;

template <typename T> T* control(const QDialog& dialog, const char* id)
{
    return dialog.findChild<T*>(QString::fromLatin1(id));
}

/// A grey page read from a binary PGM file.
struct GreyPage {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> pixels;

    static GreyPage read(const fs::path& path)
    {
        std::ifstream in(path, std::ios::binary);
        std::string magic;
        GreyPage page;
        int maximum = 0;
        in >> magic >> page.width >> page.height >> maximum;
        in.get();
        page.pixels.assign(std::istreambuf_iterator<char>(in), {});
        return page;
    }
    bool dark(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x] < 128; }
};

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

class PrintTargetDlgTest : public ::testing::Test {
protected:
    PrintTargetDlgTest()
    {
        SetMessageBoxAnswerer([this](const MessageBoxRequest& request) {
            messages.push_back(request.text.toStdString());
            return IDOK;
        });
    }
    ~PrintTargetDlgTest() override
    {
        SetMessageBoxAnswerer({});
        fs::remove_all(folder);
    }

    /// Prints to a PDF file on A4 at 600 dots per inch with 10 mm margins.
    CPrintTargetDlg::PrinterQuestion toPdf = [this](QWidget*, QPrinter& printer, const QString&, int pageCount,
                                                    int& from, int& to) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString::fromStdString(pdf.string()));
        printer.setResolution(kDpi);
        printer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(10, 10, 10, 10),
                                          QPageLayout::Millimeter));
        from = 1;
        to = pageCount;
        return true;
    };
    void select(CPrintTargetDlg& dialog, const QString& name)
    {
        auto* events = control<QListWidget>(dialog, "1004");
        const auto found = events->findItems(name, Qt::MatchStartsWith);
        ASSERT_EQ(1, found.size());
        events->setCurrentItem(found.front());
    }

    CTalvoAppModule module;
    std::vector<std::string> messages;
    int beeps = 0;
    fs::path folder = fs::temp_directory_path() / ("talvo-print-target-" + std::to_string(::getpid()));
    fs::path pdf = folder / "target.pdf";
};

TEST_F(PrintTargetDlgTest, TheDistanceFieldAndSpinChangeThePageOnlyForDistancesItTakes)
{
    CPrintTargetDlg dialog(module, nullptr, toPdf, [this] { ++beeps; });
    ASSERT_TRUE(dialog.hasEvents());
    EXPECT_EQ(1, control<QComboBox>(dialog, "1085")->currentIndex());
    EXPECT_EQ("10", control<QLineEdit>(dialog, "1083")->text().toStdString());
    EXPECT_TRUE(control<QListWidget>(dialog, "1004")->selectedItems().isEmpty());
    ASSERT_TRUE(dialog.ComposeTargetPrintout());
    ASSERT_EQ(1u, dialog.printout().size());
    EXPECT_TRUE(dialog.printout()[0].cells.empty()); // no event chosen: an empty page

    auto* edit = control<QLineEdit>(dialog, "1083");
    struct Case {
        QString text;
        float distance;
        bool dropsPage;
        int beeps;
    };
    for (const Case& c :
         {Case{"0.5", 10, false, 0}, Case{"600", 10, false, 0}, Case{"25", 25, true, 0}, Case{"", 25, false, 1}}) {
        SCOPED_TRACE(c.text.toStdString());
        ASSERT_TRUE(dialog.ComposeTargetPrintout());
        beeps = 0;
        edit->setText(c.text);
        EXPECT_EQ(c.distance, dialog.distance());
        EXPECT_EQ(c.dropsPage, dialog.printout().empty());
        EXPECT_EQ(c.beeps, beeps);
    }
    // The spin counts tenths of a metre within 1 to 500 m.
    auto* upDown = control<UpDownControl>(dialog, "1082");
    upDown->setPosition(250);
    upDown->step(+1);
    EXPECT_EQ("25.1", edit->text().toStdString());
    EXPECT_FLOAT_EQ(25.1F, dialog.distance());
    upDown->setPosition(10);
    upDown->step(-1);
    EXPECT_EQ(10, upDown->position());
}

TEST_F(PrintTargetDlgTest, AFiftyMetreFacePrintedForTenMetresIsAFifthOfItsSizeInThePdf)
{
    fs::create_directories(folder);
    CPrintTargetDlg dialog(module, nullptr, toPdf);
    select(dialog, "Smallbore Free Rifle");
    control<QPushButton>(dialog, "1081")->click(); // the preview folds out with the laid-out page
    EXPECT_EQ("<<", control<QPushButton>(dialog, "1081")->text().toStdString());
    control<QPushButton>(dialog, "1086")->click();
    ASSERT_TRUE(messages.empty()) << messages.front();
    ASSERT_TRUE(fs::exists(pdf));

    const std::string text = run("pdftotext '" + pdf.string() + "' -");
    EXPECT_NE(std::string::npos, text.find("Smallbore Free Rifle")) << text;
    EXPECT_NE(std::string::npos, text.find("(10.00m)")) << text;

    const fs::path page = folder / "page";
    ASSERT_EQ(
        0, std::system(("pdftoppm -r 600 -gray -singlefile '" + pdf.string() + "' '" + page.string() + "'").c_str()));
    const GreyPage grey = GreyPage::read(page.string() + ".pgm");
    ASSERT_NEAR(4960, grey.width, 2); // A4, 210 mm
    // The face is centred on the page; ring 1 of 154.4 mm, printed at 10 m of 50, spans 30.88 mm across the
    // centre row. Look only inside the 170 mm frame.
    const int centreX = grey.width / 2;
    const int centreY = grey.height / 2;
    int left = centreX;
    int right = centreX;
    for (int x = centreX - 1500; x < centreX + 1500; ++x) {
        if (grey.dark(x, centreY)) {
            left = std::min(left, x);
            right = std::max(right, x);
        }
    }
    const double millimetres = (right - left + 1) * 25.4 / kDpi;
    EXPECT_NEAR(154.4 / 5, millimetres, 0.2);
    fs::create_directories(TALVO_TEST_ARTIFACTS);
    const fs::path artifact = fs::path(TALVO_TEST_ARTIFACTS) / "print-target-10m";
    EXPECT_EQ(0, std::system(
                     ("pdftoppm -r 100 -png -singlefile '" + pdf.string() + "' '" + artifact.string() + "'").c_str()));
}

} // namespace
