#include "talvodesk/core/range/RangeSteps.h"

#include "talvodesk/core/options/TextFormat.h"

#include "interfaces/talvodata/IShotCollection.h"

#include "platform/time/Clock.h"

#include <algorithm>

namespace talvodesk {

namespace {

constexpr std::uint32_t kClickContinueText = 61283;
constexpr std::uint32_t kSecondsLeftText = 61284;
constexpr std::uint32_t kSecondsOrShotsLeftText = 61285;

/// A format with two integer conversions, filled in turn; empty for a text of another shape.
std::u16string formatTwoIntegers(std::u16string_view format, int first, int second)
{
    std::size_t conversions = 0;
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] != u'%') {
            continue;
        }
        if (i + 1 < format.size() && format[i + 1] == u'%') {
            ++i;
            continue;
        }
        if (++conversions == 2) {
            std::u16string text;
            AppendFormattedInt(text, first, /*notAvailable=*/false, format.substr(0, i));
            if (text.empty()) {
                return {};
            }
            AppendFormattedInt(text, second, /*notAvailable=*/false, format.substr(i));
            return text;
        }
    }
    return {};
}

} // namespace

RangeSteps::RangeSteps(platform::time::Clock& clock, std::function<std::u16string_view(std::uint32_t id)> texts,
                       StatusPane statusPane)
    : m_clock(clock), m_texts(std::move(texts)), m_statusPane(std::move(statusPane))
{
}

void RangeSteps::NextRangeState(int state)
{
    m_ownerThread.assertOwnerThread();
    m_rangeState = state < 0 ? m_rangeState + 1 : state;
    m_stepStart.reset();
    m_waitingForContinue = false;
    m_continueChosen = false;
}

bool RangeSteps::WaitElapsed(DWORD ms)
{
    const std::uint32_t passed = elapsed();
    const bool done = passed >= ms;
    std::u16string left;
    if (!done) {
        AppendFormattedInt(left, static_cast<int>((ms - passed) / 1000), /*notAvailable=*/false,
                           text(kSecondsLeftText));
    }
    return finishTimedWait(done, left);
}

bool RangeSteps::WaitShotsOrTime(DWORD ms, LONG shots, IShotCollection* collection)
{
    const std::uint32_t passed = elapsed();
    LONG count = 0;
    if (!collection || FAILED(collection->get_Count(&count))) {
        count = 0;
    }
    const bool done = passed >= ms || count >= shots;
    std::u16string left;
    if (!done) {
        left = formatTwoIntegers(text(kSecondsOrShotsLeftText), static_cast<int>((ms - passed) / 1000),
                                 std::max(0, shots - count));
    }
    return finishTimedWait(done, left);
}

bool RangeSteps::WaitContinue()
{
    m_ownerThread.assertOwnerThread();
    // Continue is taken only while waiting, so the call that starts the waiting always answers no.
    m_waitingForContinue = true;
    return finish(m_continueChosen, text(kClickContinueText));
}

bool RangeSteps::chooseContinue()
{
    m_ownerThread.assertOwnerThread();
    if (!m_waitingForContinue) {
        return false;
    }
    m_continueChosen = true;
    return true;
}

std::uint32_t RangeSteps::elapsed()
{
    m_ownerThread.assertOwnerThread();
    const auto now = static_cast<std::uint32_t>(m_clock.steadyNow().count());
    if (!m_stepStart) {
        m_stepStart = now;
    }
    return now - *m_stepStart;
}

bool RangeSteps::finish(bool done, const std::u16string& left)
{
    m_statusPane(done ? std::u16string() : left);
    return done;
}

bool RangeSteps::finishTimedWait(bool done, const std::u16string& left)
{
    if (done) {
        m_stepStart.reset();
    }
    return finish(done, left);
}

std::u16string RangeSteps::text(std::uint32_t id) const
{
    return std::u16string(m_texts(id));
}

} // namespace talvodesk
