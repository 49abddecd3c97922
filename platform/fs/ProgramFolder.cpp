#include "platform/fs/ProgramFolder.h"

#include <system_error>

namespace platform::fs {

std::filesystem::path programFolder()
{
    std::error_code error;
    const auto program = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::filesystem::current_path() : program.parent_path();
}

std::filesystem::path dataFolder(std::string_view name)
{
    const auto program = programFolder();
    const auto installed = program.parent_path() / "share" / "talvo" / name;
    std::error_code error;
    return std::filesystem::is_directory(installed, error) ? installed : program;
}

} // namespace platform::fs
