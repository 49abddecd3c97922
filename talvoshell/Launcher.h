#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace talvoshell {

/// Starts programs from an argument vector, never through a shell, so no argument is ever split or quoted.
/// Thread rule: any thread.
class Launcher {
public:
    virtual ~Launcher() = default;
    /// argv[0] is the program's path; false when it could not be started.
    virtual bool Start(const std::vector<std::string>& argv) = 0;
};

/// Starts each program as a child process and reaps it when it ends.
class SpawnLauncher : public Launcher {
public:
    bool Start(const std::vector<std::string>& argv) override;
};

/// A program installed beside this library's programs: <prefix>/bin/<name> for a library in <prefix>/lib.
std::filesystem::path ProgramPath(std::string_view name);

} // namespace talvoshell
