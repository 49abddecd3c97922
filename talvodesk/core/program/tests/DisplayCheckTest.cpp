#include "talvodesk/core/program/DisplayCheck.h"

#include <gtest/gtest.h>

#include <set>

namespace talvodesk {
namespace {

TEST(DisplayCheckTest, NamesWhatIsMissingWhenNoWindowCanBeOpened)
{
    const std::set<std::filesystem::path> sockets = {"/tmp/.X11-unix/X0", "/run/user/1000/wayland-0"};
    const auto exists = [&sockets](const std::filesystem::path& socket) { return sockets.count(socket) > 0; };
    struct Case {
        const char* name;
        DisplayEnvironment environment;
        const char* missing; // a part of the message; null for none
    };
    const Case cases[] = {
        {"nothing at all", {}, "neither DISPLAY (X11) nor WAYLAND_DISPLAY"},
        {"a platform named for Qt", {"offscreen", "", "", ""}, nullptr},
        {"a local X display", {"", ":0", "", ""}, nullptr},
        {"a local X display and screen", {"", ":0.1", "", ""}, nullptr},
        {"a local X display without its server", {"", ":3", "", ""}, "/tmp/.X11-unix/X3 is missing"},
        {"a remote X display", {"", "host:10.0", "", ""}, nullptr},
        {"a Wayland display", {"", "", "wayland-0", "/run/user/1000"}, nullptr},
        {"a Wayland display without its socket", {"", "", "wayland-1", "/run/user/1000"}, "wayland-1 has no socket"},
        {"a dead Wayland display beside X", {"", ":0", "wayland-1", "/run/user/1000"}, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto message = MissingDisplay(c.environment, exists);
        if (c.missing == nullptr) {
            EXPECT_FALSE(message) << *message;
        } else {
            ASSERT_TRUE(message);
            EXPECT_NE(std::string::npos, message->find(c.missing)) << *message;
        }
    }
}

} // namespace
} // namespace talvodesk
