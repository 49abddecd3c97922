#include "talvodesk/app/Program.h"

#include "platform/fs/ProgramFolder.h"
#include "talvodesk/app/CatalogFolder.h"
#include "talvodesk/app/MainFrame.h"
#include "talvodesk/app/MessageBoxes.h"
#include "talvodesk/app/MessageLoop.h"
#include "talvodesk/app/WindowHelpers.h"
#include "talvodesk/core/options/AppModule.h"
#include "talvodesk/core/options/Options.h"
#include "talvodesk/core/options/Settings.h"
#include "talvodesk/core/program/AppCommandLine.h"
#include "talvodesk/core/program/DesktopRegistration.h"
#include "talvodesk/core/program/ServerLockMonitor.h"
#include "talvodesk/views/FrameServices.h"

#include "talvoboard/Register.h"
#include "talvodata/CatalogPath.h"
#include "talvodata/Register.h"
#include "talvodata/ShotCollection.h"
#include "talvolink/Register.h"

#include "platform/com/Bstr.h"
#include "platform/com/ClassTable.h"
#include "platform/fs/AtomicWrite.h"
#include "platform/registry/Key.h"
#include "platform/time/Clock.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFile>

#include <iostream>
#include <thread>

namespace talvodesk {

namespace {

constexpr std::uint32_t kTitle = 128;
constexpr std::uint32_t kBrowserMissing = 61222;

/// Everything the program registers before its window, for the whole run: the one place where the program's
/// classes and services are made known, so that a test of the program runs on exactly what the program runs on.
struct ProgramServices {
    ProgramServices()
    {
        platform::com::ClassTable& classes = platform::com::ClassTable::instance();
        talvodata::registerClasses(classes);
        talvoboard::registerClasses(classes);
        talvolink::registerClasses(classes);
    }
};

/// Clears the frame-services pointer when the run loop ends, whichever way.
struct FrameServicesScope {
    explicit FrameServicesScope(CMainFrameBase* frame) { SetFrameServices(frame); }
    ~FrameServicesScope() { SetFrameServices(nullptr); }
    FrameServicesScope(const FrameServicesScope&) = delete;
    FrameServicesScope& operator=(const FrameServicesScope&) = delete;
};

/// The program's icon as SVG text, built into the program.
std::string ProgramIcon()
{
    QFile icon(QStringLiteral(":/icons/talvodesk.svg"));
    return icon.open(QIODevice::ReadOnly) ? icon.readAll().toStdString() : std::string();
}

void quitFromMonitor()
{
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [] { app::CMessageLoop2::Quit(0); }, Qt::QueuedConnection);
}

/// Clears what saves killed in an earlier run left in the folders the program writes: the catalog's tree and the
/// settings folder. Only partial files whose writer has ended go, so another program's save in progress stays.
void removeInterruptedSaves()
{
    platform::fs::removeInterruptedSavesBelow(platform::com::utf16ToUtf8(talvodata::catalogPath()));
    if (const auto settings = platform::registry::hiveFile(platform::registry::Hive::CurrentUser)) {
        platform::fs::removeInterruptedSaves(settings->parent_path());
    }
}

/// The frame's run: create, act on the command line, show, loop, save the options.
int Run(const CAppCommandLine& line, CTalvoAppModule& module, const CTalvoAppModule::Environment& environment,
        ServerLockMonitor& monitor, FrameDialogs& dialogs, const SoundOutput& soundOutput)
{
    app::CMessageLoop2 loop;
    removeInterruptedSaves();
    const auto catalog = RegisterCatalogFolder(module); // browsed by the open and start-practice dialogs
    UseDesktopIconTheme();
    QApplication::setWindowIcon(ProgramWindowIcon()); // every window of the program, its dialogs too
    platform::time::SystemClock clock;
    COptions options;
    const auto root = OpenSettingsRoot();
    if (root) {
        (void)options.Load(*root); // values that cannot be read keep their defaults
    }
    MainFrame frame({module, environment, options, monitor, clock, dialogs, soundOutput, NewShotCollection});
    const FrameServicesScope scope(&frame);
    const FrameSettings placement = root ? LoadFrameSettings(*root) : FrameSettings{};
    if (placement.windowRect) {
        const WindowRect& r = *placement.windowRect;
        frame.setGeometry(r.left, r.top, r.right - r.left, r.bottom - r.top);
    }
    const auto show = [&] {
        if (placement.zoomed) {
            frame.showMaximized();
        } else {
            frame.show();
        }
        frame.raise();
        frame.activateWindow();
    };

    if (line.m_action == CAppCommandLine::NewPractice && !frame.startPractice(line.m_eventName, line.m_shooterName)) {
        return 0;
    }
    if (line.m_action == CAppCommandLine::OpenFile) {
        show();
        std::error_code error;
        const std::filesystem::path path = std::filesystem::absolute(line.m_filePath, error);
        if (!frame.openFile(path)) {
            frame.reportOpenFailure(path);
            return 0;
        }
    }
    monitor.lock(); // this lock stands for the open frame
    show();
    frame.markShown();
    const int code = loop.Run();
    if (root) {
        (void)options.Save(*root); // a lost save keeps the options of before
    }
    return code;
}

} // namespace

platform::com::ComPtr<IShotCollection> NewShotCollection(platform::com::ComPtr<IEventParams> event)
{
    auto shots = talvodata::CShotCollection::create();
    shots->setEvent(std::move(event));
    return shots;
}

int RunProgram(std::span<const std::string_view> arguments, FrameDialogs& dialogs, const SoundOutput& soundOutput)
{
    const ProgramServices services;
    const auto root = OpenSettingsRoot();
    const CTalvoAppModule::Environment environment = CTalvoAppModule::programEnvironment(root ? &*root : nullptr);
    CTalvoAppModule module;
    (void)module.Init(environment); // always succeeds; an unusable language falls back to English
    if (!IsBrowserInstalled()) {
        (void)ResMessageBox(module, kBrowserMissing, MB_OK | MB_ICONERROR, kTitle, nullptr);
        module.Term(root ? &*root : nullptr);
        return 1;
    }

    const CAppCommandLine line(arguments);
    int code = 0;
    if (line.m_action == CAppCommandLine::Register || line.m_action == CAppCommandLine::Unregister) {
        const auto data = UserDataFolder();
        const auto done = !data ? platform::Result<std::vector<std::string>>(data.error())
                          : line.m_action == CAppCommandLine::Register
                              ? RegisterDesktopEntry(*data, platform::fs::programFolder() / "talvodesk", ProgramIcon())
                              : UnregisterDesktopEntry(*data);
        if (!done) {
            std::cerr << "talvodesk: " << done.error().detail << '\n';
        } else {
            for (const std::string& note : done.value()) {
                std::cerr << "talvodesk: " << note << '\n';
            }
        }
        code = done ? 0 : 1;
    } else {
        platform::time::SystemClock clock;
        ServerLockMonitor monitor(clock, quitFromMonitor);
        monitor.start();
        if (line.m_bServer) {
            // No outside client can reach the server here: the process ends after one quiet time-out.
            monitor.lock();
            monitor.unlock();
            code = app::CMessageLoop2().Run();
        } else {
            code = Run(line, module, environment, monitor, dialogs, soundOutput);
        }
        std::this_thread::sleep_for(monitor.pause());
    }
    module.Term(root ? &*root : nullptr);
    return code;
}

} // namespace talvodesk
