#include "talvodesk/core/program/ProgramFolder.h"

#include <system_error>

namespace talvodesk {

std::filesystem::path ProgramFolder()
{
    std::error_code error;
    const auto program = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::filesystem::current_path() : program.parent_path();
}

std::filesystem::path DataFolder(std::string_view name)
{
    const auto program = ProgramFolder();
    const auto installed = program.parent_path() / "share" / "talvo" / name;
    std::error_code error;
    return std::filesystem::is_directory(installed, error) ? installed : program;
}

} // namespace talvodesk
