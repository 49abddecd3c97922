#pragma once

#include <filesystem>
#include <string>
#include <sys/types.h>
#include <vector>

namespace platform::fs::testing {

/// A descriptor of a started program: `number` opens `file` for writing (created or emptied), or, when the file is
/// empty, is a copy of this process's descriptor `from`.
struct ChildDescriptor {
    int number;
    std::filesystem::path file;
    int from = -1;
};

/// Starts `program` with `arguments` after its own name and this process's environment, `settings`
/// ("NAME=value") taking precedence, for a test or a benchmark to run a whole program in folders of its own. The
/// pid, or -1.
pid_t startProgram(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                   const std::vector<std::string>& settings, const std::vector<ChildDescriptor>& descriptors = {});

/// The pid of a process that has ended: a child that exits at once and is waited for, so the number names no
/// process (until the system hands it out again). -1 when no child could be made.
pid_t endedProcess();

} // namespace platform::fs::testing
