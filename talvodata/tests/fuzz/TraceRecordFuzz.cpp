#include "talvodata/tests/fuzz/FuzzSetup.h"

#include "talvodata/AimingTrace.h"

#include "platform/com/MemoryStream.h"

#include <cstdint>
#include <span>

// Fuzz entry of the trace record: whatever loads is read at both ends and saved again.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace talvodata;
    (void)fuzz::scratchFolder();
    auto input = platform::com::makeComObject<platform::com::MemoryStream>(std::span<const std::uint8_t>(data, size));
    auto trace = CAimingTrace::create();
    if (FAILED(trace->Load(input.get()))) {
        return 0;
    }
    fuzz::touchTrace(*trace);
    auto output = platform::com::makeComObject<platform::com::MemoryStream>();
    (void)trace->Save(output.get(), TRUE);
    return 0;
}
