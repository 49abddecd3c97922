#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

struct IShot;

namespace platform::sound {
class CSoundManager;
}

namespace talvodesk {

class COptions;

/// What playing a named sound needs: the options (SoundEnabled), the sound output (null or without a device when
/// there is none), the folder of the sound files and the user-interface language id.
struct SoundContext {
    const COptions& options;
    platform::sound::CSoundManager* manager;
    std::filesystem::path folder;
    std::uint16_t languageId;
};

/// Plays "<folder>/<name>.wav" through the sound cache with 5 voices. True without playing when sound is off;
/// false when the file does not exist or cannot be played (also when there is no sound output).
bool PlaySoundFile(const SoundContext& context, std::u16string_view name);
/// "<name>.<language id>" first ("Shot.1033"), else the plain name.
bool PlayLocalizedSound(const SoundContext& context, std::u16string_view name);
/// The sounds that speak a result, in the order tried: "Result 9.7", then "Result 9" (truncated).
std::array<std::u16string, 2> ResultSoundNames(float result);
/// Speaks a shot's result: "Result 9.7", else "Result 9" (truncated), each localized first. Nothing for no shot.
void SpeakResult(const SoundContext& context, IShot* shot);

} // namespace talvodesk
