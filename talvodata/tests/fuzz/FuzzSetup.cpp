#include "talvodata/tests/fuzz/FuzzSetup.h"

#include "talvodata/tests/support/EventFiles.h"
#include "talvodata/tests/support/TempFolder.h"

#include "talvodata/EventFile.h"
#include "talvodata/EventParams.h"
#include "talvodata/Register.h"

#include "platform/com/ClassTable.h"
#include "platform/com/Result.h"

#include <cstdlib>

namespace talvodata::fuzz {

const std::filesystem::path& scratchFolder()
{
    static const testsupport::TempFolder folder;
    static const bool ready = [] {
        registerClasses(platform::com::ClassTable::instance());
        platform::setFailureLogger([](const platform::Error&) {}); // Hostile input fails on purpose.
        const std::filesystem::path events = folder.path() / "events";
        std::filesystem::create_directory(events);
        setenv("TALVO_EVENTS_DIR", events.c_str(), /*overwrite=*/1);
        return SUCCEEDED(writeEventFile(events / "AR10.evl", testsupport::makeEvent("AR10", "Air rifle")->unknown()));
    }();
    if (!ready) {
        std::abort(); // No event, no practice loads: the run would test nothing.
    }
    return folder.path();
}

void touchTrace(IAimingTrace& trace)
{
    LONG first = 0;
    LONG last = 0;
    LONG count = 0;
    if (FAILED(trace.get_First(&first)) || FAILED(trace.get_Last(&last)) || FAILED(trace.get_Count(&count))) {
        return;
    }
    for (const LONG index : {first, last, first + count / 2}) {
        float x = 0;
        LONG px = 0;
        LONG py = 0;
        VARIANT_BOOL valid = VARIANT_FALSE;
        (void)trace.get_x(index, &x); // Only survival matters here.
        (void)trace._GetPoint(index, &px, &py);
        (void)trace.get_ValidCoordinate(index, &valid);
    }
}

} // namespace talvodata::fuzz
