#pragma once

#include "talvodesk/core/frame/CommandIds.h"

#include <cstdint>
#include <span>
#include <string_view>

namespace talvodesk {

/// One command of the frame: its identifier, the string-table number of its menu text ("&" marks the mnemonic), its
/// key in the portable text form of a key sequence ("Ctrl+N"; empty without one) and the freedesktop name of its
/// icon in the desktop's icon theme (empty without one: the button shows its text). The command's status-bar hint
/// and tool bar tip are the string numbered by its identifier, "<hint>\n<tip>".
struct CommandInfo {
    cmd::Id id;
    std::uint32_t text;
    std::string_view key;
    std::string_view icon = {};
};

/// Every command of the menus, the accelerators and the tool bars, the language items excepted.
std::span<const CommandInfo> CommandTable();
/// The entry of a command; null for an identifier that is not in the table.
const CommandInfo* FindCommand(cmd::Id id);

/// A key without a modifier that also types or confirms text: while a text-entry widget has the focus the key
/// belongs to that widget and never reaches the command.
bool IsPlainKey(std::string_view key);

/// The status-bar hint and the tool bar tip of a command's prompt string: the text before and after its last line
/// break; a prompt without one is the hint alone.
struct CommandPrompt {
    std::u16string_view hint;
    std::u16string_view tip;
};
CommandPrompt SplitPrompt(std::u16string_view prompt);

} // namespace talvodesk
