#include "talvodesk/core/practice/PracticeLifecycle.h"

#include "talvodesk/core/document/EventCodes.h"
#include "talvodesk/core/document/TalvoData.h"
#include "talvodesk/core/options/Settings.h"
#include "talvodesk/core/practice/PracticeDevice.h"
#include "talvodesk/core/practice/PracticeRun.h"

#include "interfaces/talvolink/Guids.h"
#include "platform/com/Bstr.h"
#include "platform/com/Variant.h"
#include "platform/time/Clock.h"

#include <cstdint>
#include <string_view>

namespace talvodesk {

using platform::com::Bstr;
using platform::com::ComPtr;
using platform::com::Variant;

namespace {

constexpr LONG kSubDevice = 1;
constexpr long kProne = 0;
constexpr long kProneSubTarget = 2;
constexpr long kStandingSubTarget = 1;

std::u16string shortNameOf(IEventParams* event)
{
    Bstr name;
    if (!event || FAILED(event->get_ShortName(name.put()))) {
        return {};
    }
    return std::u16string(name.view());
}

/// The named value as text; empty when absent or of another type.
std::u16string textValue(IEventParams* event, const char* key)
{
    Variant value;
    if (!event || FAILED(event->get_Value(Bstr(key).get(), value.put())) || value.type() != VT_BSTR) {
        return {};
    }
    return std::u16string(platform::com::viewOf(value.get().bstrVal));
}

bool hasAnyShot(CTalvoData& data)
{
    ComPtr<IAimingCollection> aimings;
    ComPtr<IShotCollection> shots;
    LONG count = 0;
    ITalvoDocument* document = data.document();
    return document && SUCCEEDED(document->get_Aimings(aimings.put())) && aimings &&
           SUCCEEDED(aimings->get_Shots(VARIANT_TRUE, shots.put())) && shots && SUCCEEDED(shots->get_Count(&count)) &&
           count > 0;
}

} // namespace

long DefaultFCoefficient(IEventParams* event)
{
    const std::u16string shortName = shortNameOf(event);
    if (shortName == u"AR10") {
        return 35;
    }
    if (shortName == u"AP10") {
        return 12;
    }
    if (EventHasThreePositions(event)) {
        return 40;
    }
    if (shortName == u"SBP50") {
        return 10;
    }
    if (shortName == kBiathlonShortName) {
        return 15;
    }
    const std::u16string gun = textValue(event, "gun");
    if (gun == u"pistol") {
        return 10;
    }
    return gun == u"rifle" ? 30 : 15;
}

long BiathlonSubTarget(long position)
{
    return position == kProne ? kProneSubTarget : kStandingSubTarget;
}

PracticeLifecycle::PracticeLifecycle(Services services)
    : m_services(services), m_sink(platform::com::makeComObject<DeviceEventSink>(services.run))
{
}

PracticeLifecycle::~PracticeLifecycle()
{
    m_sink->Detach();
}

long PracticeLifecycle::ModelVersion() const
{
    LONG version = 0;
    return m_device && SUCCEEDED(m_device->get_ModelVersion(&version)) ? version : 0;
}

bool PracticeLifecycle::OnStartPractice(const std::u16string& eventName, const std::u16string& shooterName)
{
    if (m_device) {
        return false;
    }
    m_services.frame.ClearReplayAll();
    const bool documentWasOpen = m_services.data.IsValid();
    m_device = m_services.frame.CreateDevice();
    if (!m_device) {
        return false;
    }
    // A stop while the dialog runs releases the frame's device; the dialog keeps its own until it returns.
    const platform::com::ComPtr<ITalvoDevice> device = m_device;
    const std::optional<StartPracticeChoice> choice =
        m_services.frame.RunStartDialog(device.get(), eventName, shooterName);
    if (!m_device) {
        (void)device->put_Connected(VARIANT_FALSE);
        return false;
    }
    if (!BeginPractice(choice, documentWasOpen)) {
        AbandonDevice();
        return false;
    }
    return true;
}

bool PracticeLifecycle::BeginPractice(const std::optional<StartPracticeChoice>& choice, bool documentWasOpen)
{
    VARIANT_BOOL connected = VARIANT_FALSE;
    if (!choice || FAILED(m_device->get_Connected(&connected)) || connected != VARIANT_TRUE ||
        !m_services.data.SaveModified()) {
        return false;
    }
    CTalvoData& data = m_services.data;
    data.Reset();
    m_subTarget = -1;
    long position = choice->position;
    const std::u16string shortName = shortNameOf(choice->event.get());
    long fCoefficient = DefaultFCoefficient(choice->event.get());
    if (shortName == kBiathlonShortName) {
        m_subTarget = BiathlonSubTarget(position);
        position = -1;
    }
    if (m_services.settingsRoot) {
        if (const auto stored = LoadFCoefficient(*m_services.settingsRoot, shortName, choice->shooter)) {
            fCoefficient = static_cast<long>(*stored);
        }
    }
    if (!data.NewPractice(choice->event.get(), Bstr(choice->shooter).get(), position, Bstr(choice->serialNumber).get(),
                          fCoefficient)) {
        data.UpdateAllViews(nullptr, HintReset);
        return false;
    }

    PracticeFrame& frame = m_services.frame;
    if (!documentWasOpen) {
        frame.ShowSeriesPane(false);
    }
    frame.FocusSeriesView();
    m_port = std::make_unique<TalvoDevicePort>(m_device);
    m_services.run.Start(m_port.get(), /*matchMode=*/false, m_subTarget);
    frame.ResetRangeSequence();
    frame.RefreshExpertMode();
    data.UpdateAllViews(nullptr, HintReset);
    data.UpdateAllViews(nullptr, HintPracticeStart);
    if (m_subTarget != -1) {
        data.UpdateAllViews(nullptr, HintPositionSet, PositionHint{static_cast<LONG>(m_subTarget)});
    }
    Subscribe();
    frame.SwitchToTraceView();
    ArmPacingOrCalibration();
    return true;
}

void PracticeLifecycle::ArmPacingOrCalibration()
{
    const long model = ModelVersion();
    VARIANT_BOOL wanted = VARIANT_FALSE;
    const bool calibrationWanted =
        SUCCEEDED(m_device->get_CalibrationWanted(kSubDevice, &wanted)) && wanted == VARIANT_TRUE;
    const long code = m_services.data.GetEventCode();
    if (model == kImageSensorModel) {
        // The image sensor calibrates itself in the dialog; range commands do not pace it.
        if (calibrationWanted) {
            m_services.frame.PostCalibration();
        }
    } else if (IsRangeEvent(static_cast<std::int32_t>(code))) {
        m_services.frame.StartRangePacing(kPacingPeriod);
    } else if (model >= kCalibratingModel && calibrationWanted) {
        m_services.frame.PostCalibration();
    }
}

void PracticeLifecycle::Subscribe()
{
    m_subscription = EventSubscription(m_device.get(), talvolink::DIID__ITalvoDeviceEvents, m_sink.get());
}

void PracticeLifecycle::AbandonDevice()
{
    (void)m_device->put_Connected(VARIANT_FALSE); // Closing what may never have opened.
    m_device.reset();
}

void PracticeLifecycle::OnStopPractice()
{
    PracticeFrame& frame = m_services.frame;
    frame.ClearReplayAll();
    frame.ClearAutoReplay();
    if (!m_device) {
        return;
    }
    m_subscription.reset();
    (void)m_device->put_Connected(VARIANT_FALSE); // The practice ends whether or not the device answers.
    m_device.reset();
    frame.ReleaseOpenAiming();
    frame.RefreshExpertMode();
    (void)frame.StopRangePacing(); // None runs for most events.
    CTalvoData& data = m_services.data;
    data.UpdateAllViews(nullptr, HintPracticeStop);
    frame.RefreshCommandStates();
    StoreFCoefficient();
    if (!hasAnyShot(data)) {
        data.Reset();
        data.UpdateAllViews(nullptr, HintReset);
        frame.ShowSeriesPane(true);
    }
    // The run posts the stopped state to the live-data clients and lets go of the last device reference.
    m_services.run.Stop();
    m_port.reset();
}

void PracticeLifecycle::StoreFCoefficient()
{
    Bstr shortName;
    Bstr shooter;
    CTalvoData& data = m_services.data;
    if (!m_services.settingsRoot || !data.GetEventShortName(shortName) || !data.GetShooterName(shooter)) {
        return;
    }
    // A failed write only costs the shooter's default next time.
    (void)SaveFCoefficient(*m_services.settingsRoot, shortName.view(), shooter.view(),
                           static_cast<std::uint32_t>(data.FCoefficient()));
}

void PracticeLifecycle::OnCalibration()
{
    if (!m_device) {
        return;
    }
    m_subscription.reset();
    const ComPtr<ITalvoDevice> device = m_device; // Alive through the dialog, whatever happens to the practice.
    m_services.frame.RunCalibrationDialog(device.get());
    if (m_device) {
        Subscribe();
    }
}

} // namespace talvodesk
