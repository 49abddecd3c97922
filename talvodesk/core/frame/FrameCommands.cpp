#include "talvodesk/core/frame/FrameCommands.h"

#include "talvodesk/core/document/ShotFacts.h"
#include "talvodesk/core/document/TalvoData.h"
#include "talvodesk/core/frame/CommandState.h"
#include "talvodesk/core/options/Options.h"
#include "talvodesk/core/practice/StartPracticeRules.h"

#include "interfaces/talvolink/ITalvoDevice.h"
#include "platform/com/Bstr.h"
#include "platform/com/ObjectIdentity.h"

#include <array>
#include <utility>

namespace talvodesk {

namespace {

constexpr std::int32_t kCurrentFileVersion = 10;
constexpr LONG kSubDevice = 1;
constexpr std::int32_t kProneSubTarget = 2;
constexpr std::int32_t kStandingSubTarget = 1;
constexpr std::int32_t kKneelingSubTarget = -1;

} // namespace

void ApplyOptionsToDevice(ITalvoDevice& device, const COptions& options, std::uint32_t changed, std::int32_t eventCode)
{
    // A value the device refuses keeps the one it had; the options keep theirs for the next practice.
    if (changed & kOptionsChangedTraceTimes) {
        const TraceTimes times = DeviceTraceTimes(options, eventCode);
        (void)device.put_MaxTimeBeforeShot(kSubDevice, static_cast<float>(times.beforeShot));
        (void)device.put_MaxTimeAfterShot(kSubDevice, static_cast<float>(times.afterShot));
    }
    (void)device.put_PiezoRejectInterval(kSubDevice, options.piezoRejectInterval);
    if (changed & kOptionsChangedFiringPoint) {
        (void)device.put_FiringPoint(static_cast<LONG>(options.firingPoint));
    }
}

void AddDeviceCorrection(ITalvoDevice& device, float dx, float dy)
{
    float x = 0;
    float y = 0;
    if (SUCCEEDED(device.get_CorrectionX(kSubDevice, &x))) {
        (void)device.put_CorrectionX(kSubDevice, x + dx); // within the device's range by construction of a drag
    }
    if (SUCCEEDED(device.get_CorrectionY(kSubDevice, &y))) {
        (void)device.put_CorrectionY(kSubDevice, y + dy);
    }
}

std::optional<std::u16string> ReconnectDevice(ITalvoDevice& device)
{
    (void)device.put_Connected(VARIANT_FALSE); // Disconnecting always succeeds.
    Connection connection = ConnectDevice(device);
    if (connection.connected) {
        return std::nullopt;
    }
    return std::move(connection.failure);
}

std::optional<ShootingPosition> PositionOfCommand(cmd::Id id)
{
    switch (id) {
    case cmd::Prone:
        return ShootingPosition{kProneSubTarget, u"prone"};
    case cmd::Standing:
        return ShootingPosition{kStandingSubTarget, u"standing"};
    case cmd::Kneeling:
        return ShootingPosition{kKneelingSubTarget, u"kneeling"};
    default:
        return std::nullopt;
    }
}

PositionChange RestartWithPosition(CTalvoData& data, std::u16string_view word)
{
    platform::com::Bstr stored;
    if (!data.IsValid() || (data.GetPosition(stored) && stored.view() == word)) {
        return PositionChange::Unchanged;
    }
    platform::com::ComPtr<IShotCollection> match;
    LONG matchShots = 0;
    if (data.GetMatchShots(match) && match) {
        (void)match->get_Count(&matchShots);
    }
    if (data.IsModified() && matchShots > 0 && !data.Save()) {
        return PositionChange::SaveFailed;
    }
    (void)data.SetPosition(platform::com::Bstr(word).get()); // valid, checked above
    (void)data.ClearFileName();
    (void)data.SetCurrentShot(nullptr);
    (void)data.ClearShots();
    data.ClearModified();
    return PositionChange::Restarted;
}

bool ToggleReplayAll(CTalvoData& data, bool replayAll, CView* sender)
{
    if (replayAll) {
        (void)data.StopReplay();
        return false;
    }
    platform::com::ComPtr<IShot> current;
    if (!data.GetCurrentShot(current) || !current) {
        platform::com::ComPtr<IShot> first;
        if (!data.NavigateShot(nullptr, first, 1)) {
            return false;
        }
        (void)data.SetCurrentShot(first.get(), sender);
    }
    if (data.GetReplayState() != 0) {
        data.ResumeReplay();
        return true;
    }
    // Refused while an aiming is open: no replay would end to lead on to the next one.
    return data.StartReplay();
}

bool ReplayNextAiming(CTalvoData& data, CView* sender)
{
    platform::com::ComPtr<IAimingCollection> aimings;
    if (!(data.ShowSightings() ? data.GetAimings(aimings) : data.GetMatchAimings(aimings))) {
        return false;
    }
    const LONG count = countOf(aimings.get());
    if (count < 2) {
        return false;
    }
    platform::com::ComPtr<IAiming> current;
    LONG next = 1;
    if (data.GetCurrentAiming(current) && current) {
        for (LONG i = 1; i <= count; ++i) {
            platform::com::ComPtr<IAiming> aiming;
            if (SUCCEEDED(aimings->get_Item(i, aiming.put())) &&
                platform::com::isSameObject(aiming.get(), current.get())) {
                next = i == count ? 1 : i + 1;
                break;
            }
        }
    }
    platform::com::ComPtr<IAiming> aiming;
    if (FAILED(aimings->get_Item(next, aiming.put()))) {
        return false;
    }
    (void)data.SelectAimingFirstShot(aiming.get(), sender);
    return data.StartReplay();
}

std::u16string_view HideShotMenuText(std::u16string_view commandText, bool hidden)
{
    const auto lineFeed = commandText.find(u'\n');
    if (lineFeed == std::u16string_view::npos) {
        return commandText;
    }
    return hidden ? commandText.substr(lineFeed + 1) : commandText.substr(0, lineFeed);
}

bool MailNeedsSave(bool modified, std::int32_t fileVersion)
{
    return modified || fileVersion < kCurrentFileVersion;
}

std::vector<std::string> MailArguments(const std::filesystem::path& attachment)
{
    return {"xdg-email", "--attach", attachment.string()};
}

std::optional<std::u16string_view> MailResultMessage(int exitCode)
{
    if (exitCode == 0 || exitCode == 1 || exitCode == 3) {
        return std::nullopt;
    }
    return u"Send Mail failed to send message.";
}

std::vector<std::string> OpenInBrowserArguments(const std::filesystem::path& page)
{
    return {"xdg-open", page.string()};
}

} // namespace talvodesk
