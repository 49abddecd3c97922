#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <grp.h>
#include <pwd.h>
#include <sys/wait.h>
#include <unistd.h>

namespace platform::testing {

/// The user an unprivileged child runs as when the tests run as root.
inline uid_t unprivilegedUser()
{
    const passwd* nobody = ::getpwnam("nobody");
    return nobody ? nobody->pw_uid : 65534;
}

/// Gives `path` and everything below it to the unprivileged user, so a child running `runUnprivileged` owns what
/// the test prepared; nothing to do when the tests do not run as root.
inline void handOver(const std::filesystem::path& path)
{
    if (::geteuid() != 0) {
        return;
    }
    const uid_t user = unprivilegedUser();
    ASSERT_EQ(0, ::lchown(path.c_str(), user, user)) << path;
    if (std::filesystem::is_directory(path)) {
        for (const auto& entry : std::filesystem::recursive_directory_iterator(path)) {
            ASSERT_EQ(0, ::lchown(entry.path().c_str(), user, user)) << entry.path();
        }
    }
}

/// Runs `body` where permission bits bind: in a forked child that drops root to the unprivileged user (as CI runs
/// the tests as root). A failure inside the child fails the calling test.
inline void runUnprivileged(const std::function<void()>& body)
{
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::geteuid() == 0) {
            const uid_t user = unprivilegedUser();
            if (::setgroups(0, nullptr) != 0 || ::setgid(user) != 0 || ::setuid(user) != 0) {
                ::_exit(2);
            }
        }
        body();
        ::_exit(::testing::Test::HasFailure() ? 1 : 0);
    }
    int status = 0;
    ASSERT_EQ(child, ::waitpid(child, &status, 0));
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
        << "the unprivileged child failed (status " << status << ")";
}

} // namespace platform::testing
