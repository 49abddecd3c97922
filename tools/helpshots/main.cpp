// Takes the user's guide's pictures from the program itself: a practice of a shooter's group opened in the program
// on the offscreen platform, each view and dialog grabbed as a small PNG. Usage: helpshots <folder>
// (data/help/images in the tree; run again when the windows change, and commit what it writes).
#include "talvodesk/app/FrameDialogs.h"
#include "talvodesk/app/MainFrame.h"
#include "talvodesk/app/Program.h"
#include "talvodesk/views/FrameServices.h"
#include "talvowatch/tests/support/PracticeFile.h"

#include "talvodata/Register.h"

#include "platform/com/ClassTable.h"

#include <QApplication>
#include <QDialog>
#include <QImage>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace talvodesk;

constexpr int kWidth = 640;
constexpr int kDialogWaitMs = 400;

std::filesystem::path s_folder;
bool s_failed = false;

void save(QWidget& window, const char* name)
{
    QCoreApplication::processEvents();
    const QImage picture =
        window.grab().toImage().scaledToWidth(std::min(kWidth, window.width()), Qt::SmoothTransformation);
    const fs::path file = s_folder / (std::string(name) + ".png");
    if (!picture.convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither | Qt::AvoidDither)
             .save(QString::fromStdString(file.string()), "PNG", 9)) {
        std::fprintf(stderr, "helpshots: cannot write %s\n", file.c_str());
        s_failed = true;
    }
}

/// The program's own dialogs, each grabbed once it shows and then cancelled.
class GrabbingDialogs final : public FrameDialogs {
public:
    const char* next = nullptr;

    std::optional<std::uint32_t> editOptions(QWidget* owner, COptions& live, const TextLookup& texts,
                                             const platform::registry::Key* settingsRoot) override
    {
        grabNextDialog("options");
        return FrameDialogs::editOptions(owner, live, texts, settingsRoot);
    }
    std::optional<ShotsParameters> editShotsParameters(QWidget* owner, const ShotsParameters& values,
                                                       std::int32_t eventCode, const CTalvoAppModule& module) override
    {
        grabNextDialog("shots-parameters");
        return FrameDialogs::editShotsParameters(owner, values, eventCode, module);
    }
    void printTarget(QWidget* owner, const CTalvoAppModule& module) override
    {
        grabNextDialog("print-target");
        FrameDialogs::printTarget(owner, module);
    }
    void showHelpPage(const fs::path&) override {}

private:
    static void grabNextDialog(const char* name)
    {
        QTimer::singleShot(kDialogWaitMs, qApp, [name] {
            if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
                save(*dialog, name);
                dialog->reject();
            }
        });
    }
};

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: helpshots <folder>\n");
        return 2;
    }
    s_folder = fs::absolute(argv[1]);
    fs::create_directories(s_folder);
    // A scratch account, so the pictures show the program as it first starts and no settings are touched.
    const fs::path home = fs::temp_directory_path() / "talvo-helpshots";
    fs::remove_all(home);
    fs::create_directories(home);
    setenv("HOME", home.c_str(), 1);
    setenv("XDG_CONFIG_HOME", (home / "config").c_str(), 1);
    setenv("XDG_DATA_HOME", (home / "data").c_str(), 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication application(argc, argv);
    talvodata::registerClasses(platform::com::ClassTable::instance());

    talvowatch::testsupport::PracticeSpec spec;
    spec.matchShots = 20;
    spec.sightingShots = 3;
    spec.grouped = true;
    const fs::path practice = home / "practice.talvo";
    if (const auto written = talvowatch::testsupport::writePractice(practice, spec); !written) {
        std::fprintf(stderr, "helpshots: %s\n", written.error().detail.c_str());
        return 1;
    }

    GrabbingDialogs dialogs;
    QTimer::singleShot(0, qApp, [] {
        auto* frame = dynamic_cast<MainFrame*>(FrameServices());
        if (!frame) {
            s_failed = true;
            return;
        }
        frame->resize(1000, 700);
        const bool expert = frame->action(cmd::ExpertMode)->isChecked();
        if (!expert) {
            frame->runCommand(cmd::ExpertMode);
        }
        const std::pair<cmd::Id, const char*> views[] = {
            {cmd::ViewInfo, "info"},           {cmd::ViewTrace, "trace"},
            {cmd::ViewDistance, "distance"},   {cmd::ViewCoordination, "coordination"},
            {cmd::ViewShift, "shift"},         {cmd::ViewSpeed, "speed"},
            {cmd::ViewIntervals, "intervals"}, {cmd::ViewProbability, "probability"},
        };
        for (const auto& [view, name] : views) {
            frame->runCommand(view);
            save(*frame, name);
        }
        frame->runCommand(cmd::Series);
        save(*frame, "series");
        frame->runCommand(cmd::Options);
        frame->runCommand(cmd::ShotsParameters);
        frame->runCommand(cmd::PrintTarget);
        if (!expert) {
            frame->runCommand(cmd::ExpertMode);
        }
        frame->runCommand(cmd::Exit);
    });
    const std::string path = practice.string();
    const std::vector<std::string_view> arguments{path};
    const int code = RunProgram(arguments, dialogs);
    platform::com::ClassTable::instance().clear();
    fs::remove_all(home);
    return code != 0 || s_failed ? 1 : 0;
}
