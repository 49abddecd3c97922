#include "tools/sensorsim/CommandLine.h"

#include "tools/sensorsim/SensorProfile.h"

#include <charconv>
#include <cstring>
#include <optional>
#include <string>

namespace sensorsim {
namespace {

constexpr int kFirstPort = 1;
constexpr int kLastPort = 256;

/// The whole argument as a decimal number; nothing for text, a sign-less overflow or trailing characters.
template <typename Number = int> std::optional<Number> wholeNumber(const char* text)
{
    Number value = 0;
    const char* end = text + std::strlen(text);
    const auto [stop, error] = std::from_chars(text, end, value);
    if (error != std::errc() || stop != end || stop == text) {
        return std::nullopt;
    }
    return value;
}

} // namespace

platform::Result<CommandLine> parseCommandLine(std::span<const char* const> arguments)
{
    CommandLine line;
    if (!arguments.empty() && std::strcmp(arguments[0], "--seed") == 0) {
        const std::optional<unsigned> seed =
            arguments.size() > 1 ? wholeNumber<unsigned>(arguments[1]) : std::optional<unsigned>();
        if (!seed) {
            return platform::Error{E_INVALIDARG, std::string("no seed \"") +
                                                     (arguments.size() > 1 ? arguments[1] : "") +
                                                     "\" (0 to 4294967295)"};
        }
        line.seed = *seed;
        arguments = arguments.subspan(2);
    }
    if (arguments.size() > 2) {
        return platform::Error{E_INVALIDARG, std::string("unexpected argument \"") + arguments[2] + "\""};
    }
    if (!arguments.empty()) {
        const std::optional<int> model = wholeNumber(arguments[0]);
        if (!model || !profileFor(*model)) {
            return platform::Error{E_INVALIDARG, std::string("no sensor model \"") + arguments[0] + "\""};
        }
        line.model = *model;
    }
    if (arguments.size() == 2) {
        const std::optional<int> port = wholeNumber(arguments[1]);
        if (!port || *port < kFirstPort || *port > kLastPort) {
            return platform::Error{E_INVALIDARG, std::string("no COM port \"") + arguments[1] + "\" (1 to 256)"};
        }
        line.comPort = *port;
    }
    return line;
}

} // namespace sensorsim
