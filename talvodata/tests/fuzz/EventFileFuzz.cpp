#include "talvodata/tests/fuzz/FuzzSetup.h"

#include "talvodata/tests/support/EventFiles.h"

#include "talvodata/EventFile.h"
#include "talvodata/EventParams.h"

#include <cstdint>
#include <vector>

// Fuzz entry of the event-file reader: the bytes are the stream "Contents" of an event file. Whatever loads must
// score, find areas and save again.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace talvodata;
    const std::filesystem::path& folder = fuzz::scratchFolder();
    const std::filesystem::path path = folder / "input.evl";
    testsupport::writeCompoundContents(path, std::vector<std::uint8_t>(data, data + size));
    auto event = readEventFile(path);
    if (!event) {
        return 0;
    }
    float score = 0;
    LONG area = 0;
    float cx = 0;
    float cy = 0;
    for (LONG subTarget : {1, 2, 3}) {
        (void)event.value()->GetBreachScore(1.5F, -2, subTarget, &score); // Only survival matters here.
        (void)event.value()->GetPointArea(0, 0, subTarget, &area, &cx, &cy);
        (void)event.value()->GetNearestArea(3, 3, subTarget, &area, &cx, &cy);
    }
    (void)writeEventFile(folder / "saved.evl", event.value()->unknown());
    return 0;
}
