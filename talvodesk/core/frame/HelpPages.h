#pragma once

#include "talvodesk/core/frame/CommandIds.h"

#include <filesystem>
#include <optional>
#include <span>
#include <string_view>

namespace talvodesk {

/// The user's guide's home page, the page of every topic without one of its own.
inline constexpr std::string_view kHelpHomePage = "index.html";

/// The guide's page that covers a command: its own or the one that explains it with others. Nothing for an
/// identifier that is not a command.
std::optional<std::string_view> HelpPageOf(cmd::Id id);
/// Every page the commands lead to, each once.
std::span<const std::string_view> HelpPages();

/// The page of a help topic (a command identifier, 0 for the home page) in the first of `guides` that holds it;
/// nothing when none does.
std::optional<std::filesystem::path> HelpTopicPage(std::span<const std::filesystem::path> guides, std::uint32_t topic);

} // namespace talvodesk
