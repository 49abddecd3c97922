#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

// The entry of the fuzz program this test is built with.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

// Every input kept in the corpus once crashed, hung or exhausted a reader, or seeds one; each must run cleanly
// (the sanitizers judge what "cleanly" means).
TEST(FuzzReplayTest, EveryCorpusInputRunsCleanly)
{
    std::vector<std::filesystem::path> inputs;
    for (const auto& entry : std::filesystem::directory_iterator(TALVO_FUZZ_CORPUS)) {
        if (entry.is_regular_file()) {
            inputs.push_back(entry.path());
        }
    }
    std::sort(inputs.begin(), inputs.end());
    ASSERT_FALSE(inputs.empty());
    for (const auto& path : inputs) {
        SCOPED_TRACE(path.filename().string());
        std::ifstream file(path, std::ios::binary);
        const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        EXPECT_EQ(0, LLVMFuzzerTestOneInput(bytes.data(), bytes.size()));
    }
}

} // namespace
