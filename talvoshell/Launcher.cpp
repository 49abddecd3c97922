#include "talvoshell/Launcher.h"

#include <dlfcn.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>

extern char** environ;

namespace talvoshell {

bool SpawnLauncher::Start(const std::vector<std::string>& argv)
{
    if (argv.empty()) {
        return false;
    }
    std::vector<char*> arguments;
    for (const std::string& argument : argv) {
        arguments.push_back(const_cast<char*>(argument.c_str()));
    }
    arguments.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0].c_str(), nullptr, nullptr, arguments.data(), environ) != 0) {
        return false;
    }
    // The started program outlives nothing here; only its exit status has to be collected.
    std::thread([pid] { waitpid(pid, nullptr, 0); }).detach();
    return true;
}

std::filesystem::path ProgramPath(std::string_view name)
{
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&ProgramPath), &info) == 0 || !info.dli_fname) {
        return std::filesystem::path("/usr/bin") / name;
    }
    const std::filesystem::path library = std::filesystem::absolute(info.dli_fname);
    return library.parent_path().parent_path() / "bin" / name;
}

} // namespace talvoshell
