#pragma once

#include "talvodesk/app/FrameDialogs.h"
#include "talvodesk/app/MainFrame.h"
#include "talvodesk/app/Program.h"
#include "talvodesk/views/FrameServices.h"

#include <QCoreApplication>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace talvodesk::testsupport {

/// Runs the program as main() does with `arguments`. Once its loop runs, `whileRunning` gets the frame, and then the
/// program is told to exit, also when an assertion ended `whileRunning` early. Returns the program's exit code.
inline int RunProgramWith(const std::vector<std::string>& arguments, FrameDialogs& dialogs,
                          const std::function<void(MainFrame&)>& whileRunning)
{
    QTimer::singleShot(0, qApp, [&whileRunning] {
        auto* frame = dynamic_cast<MainFrame*>(FrameServices());
        if (frame == nullptr) {
            ADD_FAILURE() << "the program runs without its frame";
            return;
        }
        whileRunning(*frame);
        frame->runCommand(cmd::Exit);
    });
    const std::vector<std::string_view> views(arguments.begin(), arguments.end());
    return RunProgram(views, dialogs);
}

} // namespace talvodesk::testsupport
