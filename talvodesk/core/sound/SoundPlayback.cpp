#include "talvodesk/core/sound/SoundPlayback.h"

#include "talvodesk/core/options/Options.h"

#include "interfaces/talvodata/IShot.h"
#include "platform/com/Bstr.h"
#include "platform/sound/SoundManager.h"
#include "platform/text/Printf.h"

#include <algorithm>
#include <cmath>

namespace talvodesk {

namespace {

constexpr DWORD kVoicesPerSound = 5;

} // namespace

bool PlaySoundFile(const SoundContext& context, std::u16string_view name)
{
    if (!context.options.soundEnabled) {
        return true;
    }
    const std::filesystem::path file = context.folder / (platform::com::utf16ToUtf8(name) + ".wav");
    std::error_code error;
    if (!std::filesystem::is_regular_file(file, error) || !context.manager) {
        return false;
    }
    return SUCCEEDED(context.manager->PlayCached(file, kVoicesPerSound));
}

bool PlayLocalizedSound(const SoundContext& context, std::u16string_view name)
{
    const std::u16string localized =
        std::u16string(name) + u"." + platform::com::utf8ToUtf16(std::to_string(context.languageId));
    return PlaySoundFile(context, localized) || PlaySoundFile(context, name);
}

std::array<std::u16string, 2> ResultSoundNames(float result)
{
    const std::string tenths = platform::text::formatC("Result %3.1f", double{result});
    const std::string whole =
        platform::text::formatC("Result %i", static_cast<int>(std::trunc(std::clamp(result, -1e9F, 1e9F))));
    return {platform::com::utf8ToUtf16(tenths), platform::com::utf8ToUtf16(whole)};
}

void SpeakResult(const SoundContext& context, IShot* shot)
{
    float result = 0;
    if (!shot || FAILED(shot->get_Result(&result)) || !std::isfinite(result)) {
        return;
    }
    const auto names = ResultSoundNames(result);
    if (!PlayLocalizedSound(context, names[0])) {
        (void)PlayLocalizedSound(context, names[1]); // A missing result sound is no error.
    }
}

} // namespace talvodesk
