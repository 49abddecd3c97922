#include "talvodesk/app/FirstPaintProbe.h"
#include "talvodesk/app/FrameDialogs.h"
#include "talvodesk/app/Program.h"

#include "platform/com/ClassTable.h"

#include <QApplication>

#include <string_view>
#include <vector>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    // The program ends through its shut-down monitor, not with its last window.
    QApplication::setQuitOnLastWindowClosed(false);
    talvodesk::app::InstallFirstPaintProbe();
    const std::vector<std::string_view> arguments(argv + 1, argv + argc);
    talvodesk::FrameDialogs dialogs;
    const int code = talvodesk::RunProgram(arguments, dialogs);
    // The singletons (the event manager) go before the application does.
    platform::com::ClassTable::instance().clear();
    return code;
}
