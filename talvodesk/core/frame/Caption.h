#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace talvodesk {

/// What the frame's caption shows. The start time is the first match shot's "EnterTime" already formatted in the
/// user-interface locale ("n/a" for a zero date), empty when there are no match shots.
struct CaptionInputs {
    bool documentValid = false;
    std::u16string_view shooterName;
    std::u16string_view eventShortName;
    std::u16string_view firstMatchShotTime;
    bool modified = false;
    bool device = false;
    /// Time since the last strong sensor signal.
    std::chrono::milliseconds sinceLastData{0};
    std::u16string_view untitled;
    std::u16string_view title;
};

/// "<shooter or Untitled>[ - <event>][ - <start time>][*] + <title>" with " + " while a device sent a strong
/// signal within the last second and " - " otherwise; the title alone without a document.
std::u16string FormatCaption(const CaptionInputs& in);

/// The series pane's title: the name of the Series command in series mode, else that of Shot list, in the language
/// of `loadString`, cut at 79 characters.
std::u16string_view ShotListCaption(bool seriesMode,
                                    const std::function<std::u16string_view(std::uint32_t)>& loadString);

} // namespace talvodesk
