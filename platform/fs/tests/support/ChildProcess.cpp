#include "platform/fs/tests/support/ChildProcess.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace platform::fs::testing {

pid_t startProgram(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                   const std::vector<std::string>& settings, const std::vector<ChildDescriptor>& descriptors)
{
    std::vector<std::string> strings = settings;
    std::vector<char*> environment;
    for (std::string& setting : strings) {
        environment.push_back(setting.data());
    }
    for (char** variable = environ; *variable != nullptr; ++variable) {
        environment.push_back(*variable); // The first of two settings of one name wins.
    }
    environment.push_back(nullptr);
    std::vector<std::string> words{program.string()};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    for (const ChildDescriptor& descriptor : descriptors) {
        if (descriptor.file.empty()) {
            posix_spawn_file_actions_adddup2(&actions, descriptor.from, descriptor.number);
        } else {
            posix_spawn_file_actions_addopen(&actions, descriptor.number, descriptor.file.c_str(),
                                             O_WRONLY | O_CREAT | O_TRUNC, 0600);
        }
    }
    pid_t pid = -1;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environment.data());
    posix_spawn_file_actions_destroy(&actions);
    return spawned == 0 ? pid : -1;
}

pid_t endedProcess()
{
    const pid_t child = ::fork();
    if (child == 0) {
        ::_exit(0);
    }
    if (child < 0 || ::waitpid(child, nullptr, 0) != child) {
        return -1;
    }
    return child;
}

} // namespace platform::fs::testing
