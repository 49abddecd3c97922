#include "support/StorageHelpers.h"

// libFuzzer entry (Clang builds only): start it with tests/data/malformed as a seed corpus.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    platform::storage::testing::exerciseCompoundFile({data, size});
    return 0;
}
