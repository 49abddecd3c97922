#include "talvodata/tests/support/MalformedInputs.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace talvodata::testsupport {

std::vector<std::pair<std::string, std::vector<std::uint8_t>>> keptMalformedInputs(const std::string& prefix)
{
    const char* source = std::getenv("TALVO_SOURCE_DIR");
    const std::filesystem::path folder =
        source ? std::filesystem::path(source) / "talvodata" / "tests" / "data" / "malformed"
               : std::filesystem::path(__FILE__).parent_path().parent_path() / "data" / "malformed";
    std::vector<std::pair<std::string, std::vector<std::uint8_t>>> inputs;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind(prefix + "-", 0) != 0) {
            continue;
        }
        std::ifstream file(entry.path(), std::ios::binary);
        inputs.emplace_back(
            name, std::vector<std::uint8_t>((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>()));
    }
    std::sort(inputs.begin(), inputs.end());
    return inputs;
}

} // namespace talvodata::testsupport
