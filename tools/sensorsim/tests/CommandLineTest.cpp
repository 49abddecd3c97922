#include "tools/sensorsim/CommandLine.h"

#include "platform/testing/Matchers.h"

#include <vector>

namespace sensorsim {
namespace {

TEST(CommandLineTest, NumbersAreWholeAndInRangeOrTheArgumentIsNamed)
{
    const struct {
        std::vector<const char*> arguments;
        int model;
        int port;
        const char* error;
        unsigned seed = 1;
    } cases[] = {
        {{}, 300, 1, nullptr},
        {{"306"}, 306, 1, nullptr},
        {{"307", "256"}, 307, 256, nullptr},
        {{"--seed", "42"}, 300, 1, nullptr, 42},
        {{"--seed", "4294967295", "306", "3"}, 306, 3, nullptr, 4294967295u},
        {{"--seed"}, 0, 0, "no seed \"\" (0 to 4294967295)"},
        {{"--seed", "-1"}, 0, 0, "no seed \"-1\" (0 to 4294967295)"},
        {{"--seed", "4294967296"}, 0, 0, "no seed \"4294967296\" (0 to 4294967295)"},
        {{"300", "--seed", "4"}, 0, 0, "unexpected argument \"4\""}, // the seed comes first
        {{"abc"}, 0, 0, "no sensor model \"abc\""},
        {{"301"}, 0, 0, "no sensor model \"301\""},
        {{"4294967596"}, 0, 0, "no sensor model \"4294967596\""}, // 300 once it wraps to 32 bits
        {{"300x"}, 0, 0, "no sensor model \"300x\""},
        {{"300", "abc"}, 0, 0, "no COM port \"abc\" (1 to 256)"},
        {{"300", "0"}, 0, 0, "no COM port \"0\" (1 to 256)"},
        {{"300", "257"}, 0, 0, "no COM port \"257\" (1 to 256)"},
        {{"300", ""}, 0, 0, "no COM port \"\" (1 to 256)"},
        {{"300", "1", "2"}, 0, 0, "unexpected argument \"2\""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments.empty() ? "none" : c.arguments.back());
        const auto line = parseCommandLine(c.arguments);
        if (c.error) {
            ASSERT_THAT(line, FailsWith(E_INVALIDARG));
            EXPECT_EQ(c.error, line.error().detail);
            continue;
        }
        ASSERT_THAT(line, IsOk());
        EXPECT_EQ(c.model, line->model);
        EXPECT_EQ(c.port, line->comPort);
        EXPECT_EQ(c.seed, line->seed);
    }
}

} // namespace
} // namespace sensorsim
