#include "platform/storage/tests/support/StorageHelpers.h"

// Fuzz entry: libFuzzer starts from tests/data/malformed, which the replay test feeds to it in every build.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    platform::storage::testing::exerciseCompoundFile({data, size});
    return 0;
}
