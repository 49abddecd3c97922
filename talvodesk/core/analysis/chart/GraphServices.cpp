#include "talvodesk/core/analysis/chart/GraphServices.h"

#include "talvodesk/core/analysis/chart/ChartImpl.h"
#include "talvodesk/core/analysis/chart/ChartStrings.h"
#include "talvodesk/core/document/DocumentServices.h"
#include "talvodesk/core/document/TalvoData.h"
#include "talvodesk/core/options/AppModule.h"
#include "talvodesk/core/options/Options.h"
#include "talvodesk/core/options/StringTable.h"

#include "platform/text/Ascii.h"
#include "platform/text/Printf.h"

namespace talvodesk {

std::u16string ChartText(const ChartServices& services, std::uint32_t id)
{
    return std::u16string(services.module ? services.module->LoadString(id) : StringTable::englishText(id));
}

std::u16string ChartCountText(const ChartServices& services, std::uint32_t id, long count)
{
    const std::u16string format = ChartText(services, id);
    const auto text =
        platform::text::formatIntegerWith(std::string(format.begin(), format.end()), static_cast<int>(count));
    return text ? platform::text::widenAscii(*text) : format;
}

void CreateChartFonts(CChartImpl& chart, const ChartServices& services)
{
    std::u16string face = ChartText(services, chartstrings::kVerticalFace);
    chart.CreateFonts(services.module ? services.module->languageId() : 0, face.empty() ? u"Arial" : face);
}

void ToggleControlInterval2(ChartServices& services, bool checked)
{
    services.options.showControlInterval2 = checked ? 1 : 0;
    services.document.UpdateAllViews(nullptr, HintShotParameters);
}

void PendingUpdate::Request(unsigned parts, bool visible, const Recalculate& recalculate)
{
    if (visible) {
        recalculate(parts);
    } else {
        m_pending |= parts;
    }
}

bool PendingUpdate::Apply(const Recalculate& recalculate)
{
    const unsigned parts = m_pending;
    m_pending = 0;
    if (parts != 0) {
        recalculate(parts);
    }
    return parts != 0;
}

ChartProgress::ChartProgress(DocumentServices* frame, std::uint32_t textId, long total) : m_frame(frame), m_total(total)
{
    if (m_frame) {
        m_frame->SetWaitCursor(true);
        (void)m_frame->BeginProgress(textId); // Without a bar the computation still runs.
        m_frame->SetProgress(0, m_total);
    }
}

ChartProgress::~ChartProgress()
{
    if (m_frame) {
        m_frame->EndProgress();
        m_frame->SetWaitCursor(false);
    }
}

void ChartProgress::Step()
{
    if (m_frame) {
        m_frame->SetProgress(++m_done, m_total);
    }
}

void ChartProgress::Restart(long total)
{
    m_done = 0;
    m_total = total;
    if (m_frame) {
        m_frame->SetProgress(0, m_total);
    }
}

} // namespace talvodesk
