#include "talvodesk/app/FirstPaintProbe.h"
#include "talvodesk/app/FrameDialogs.h"
#include "talvodesk/app/Program.h"
#include "talvodesk/core/program/AppCommandLine.h"
#include "talvodesk/core/program/DisplayCheck.h"

#include "platform/com/ClassTable.h"

#include <QApplication>

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <malloc.h>
#include <string_view>
#include <vector>

namespace {

bool isSocket(const std::filesystem::path& path)
{
    std::error_code error;
    return std::filesystem::is_socket(path, error);
}

} // namespace

int main(int argc, char** argv)
{
    // A practice is read whole before it becomes thousands of small objects: its buffers, kept in the heap once
    // freed, are taken again by those, where memory handed back to the system would be faulted in anew page by page.
    mallopt(M_MMAP_THRESHOLD, 16 << 20);
    mallopt(M_TRIM_THRESHOLD, 32 << 20);
    const std::vector<std::string_view> arguments(argv + 1, argv + argc);
    if (const auto missing = talvodesk::MissingDisplay(talvodesk::DisplayEnvironment::current(), isSocket)) {
        const talvodesk::CAppCommandLine line(arguments);
        if (line.m_action != talvodesk::CAppCommandLine::Register &&
            line.m_action != talvodesk::CAppCommandLine::Unregister) {
            std::cerr << "talvodesk: " << *missing << '\n';
            return 1;
        }
        setenv("QT_QPA_PLATFORM", "offscreen", 1); // registering opens no window
    }
    QApplication application(argc, argv);
    // The program ends through its shut-down monitor, not with its last window.
    QApplication::setQuitOnLastWindowClosed(false);
    talvodesk::app::InstallFirstPaintProbe();
    talvodesk::FrameDialogs dialogs;
    const int code = talvodesk::RunProgram(arguments, dialogs);
    // The singletons (the event manager) go before the application does.
    platform::com::ClassTable::instance().clear();
    return code;
}
