#include "talvowatch/app/SystemTray.h"

#include "talvowatch/CatalogServer.h"
#include "talvowatch/TrayModel.h"

#include "catalogcache/CatalogLocation.h"
#include "catalogcache/CatalogTexts.h"
#include "platform/com/Bstr.h"
#include "platform/com/ClassTable.h"
#include "talvodata/CatalogPath.h"
#include "talvodata/Register.h"

#include <QApplication>
#include <QSocketNotifier>

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

int s_signalPipe[2] = {-1, -1};

void onStopSignal(int)
{
    const char signalled = 1;
    [[maybe_unused]] const ssize_t written = ::write(s_signalPipe[1], &signalled, 1);
}

/// Ends the event loop on SIGTERM (the session ending), SIGINT and SIGHUP, from the GUI thread.
void quitOnStopSignals(QApplication& application)
{
    if (::pipe2(s_signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        return;
    }
    auto* notifier = new QSocketNotifier(s_signalPipe[0], QSocketNotifier::Read, &application);
    QObject::connect(notifier, &QSocketNotifier::activated, &application, &QApplication::quit);
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
        ::sigaction(signal, &action, nullptr);
    }
}

} // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    talvodata::registerClasses(platform::com::ClassTable::instance());

    // Start-up failures end the program quietly: a reader reports that it found no watcher.
    const auto location = catalogcache::defaultCatalogLocation();
    if (!location) {
        return 1;
    }
    quitOnStopSignals(application); // Before the worker starts, so that no stop signal can kill it mid-write.
    talvowatch::TrayModel tray(catalogcache::CatalogTexts::forUser());
    const std::filesystem::path folder(platform::com::utf16ToUtf8(talvodata::catalogPath()));
    auto server = talvowatch::CatalogServer::start(*location, folder, tray, {});
    if (!server) {
        return server.error().code == E_ACCESSDENIED ? 0 : 1; // A second watcher leaves the first one alone.
    }
    talvowatch::SystemTray systemTray(tray);
    const int result = QApplication::exec();
    server->reset(); // Stops the worker while the icon it reports to still exists.
    platform::com::ClassTable::instance().clear();
    return result;
}
