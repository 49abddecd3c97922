#include "talvodesk/views/TargetWindow.h"

#include "talvodesk/core/options/Options.h"

#include "interfaces/talvoboard/Guids.h"
#include "platform/com/ClassInfo.h"
#include "platform/com/ClassTable.h"
#include "platform/com/ConnectionPoint.h"
#include "talvoboard/TargetWindow.h"

#include <QVBoxLayout>
#include <QWidget>

namespace talvodesk {

using platform::com::ComPtr;

namespace {

/// The style bit that shows a window.
constexpr std::uint32_t kVisibleStyle = 0x10000000;

/// The control's default source interface, found through its class information, and the point that sends it.
HRESULT findEventPoint(ITarget& target, ComPtr<IConnectionPoint>& point)
{
    const ComPtr<ITarget> control(&target);
    const auto classInfo = control.queryInterface<IProvideClassInfo2>();
    const auto container = control.queryInterface<IConnectionPointContainer>();
    if (!classInfo || !container) {
        return E_NOINTERFACE;
    }
    IID source{};
    RETURN_IF_FAILED(classInfo->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &source));
    return container->FindConnectionPoint(source, point.put());
}

} // namespace

CTargetWindow::CTargetWindow() = default;

CTargetWindow::~CTargetWindow()
{
    Release();
    delete m_window.data();
}

bool CTargetWindow::Create(QWidget* parent, const QRect& rect, std::uint32_t style, IDispatch* events)
{
    if (m_window) {
        return false;
    }
    ComPtr<ITarget> target;
    if (FAILED(CoCreateInstance(talvoboard::CLSID_Target, nullptr, CLSCTX_ALL, ITarget::kIid, target.putVoid()))) {
        return false;
    }
    QWidget* control = nullptr;
    const auto window = target.queryInterface<ITargetWindow>();
    if (!window || FAILED(window->GetWidget(&control))) {
        return false;
    }
    OnCreateControl(*target);
    m_target = std::move(target);
    if (events &&
        (FAILED(findEventPoint(*m_target, m_eventPoint)) || FAILED(m_eventPoint->Advise(events, &m_eventCookie)))) {
        m_eventPoint.reset();
        m_target.reset();
        return false;
    }
    auto* host = new QWidget(parent);
    host->setObjectName(QStringLiteral("AtlAxWin80"));
    host->setGeometry(rect);
    auto* layout = new QVBoxLayout(host);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(control);
    // A hidden host gets no resize event to lay the control out by, and printing draws hidden controls: the control
    // takes the host's size now, so its pictures have the proportions asked for.
    layout->activate();
    host->setVisible((style & kVisibleStyle) != 0);
    m_window = host;
    return true;
}

void CTargetWindow::OnCreateControl(ITarget& /*target*/) {}

void CTargetWindow::Release()
{
    if (m_eventPoint) {
        (void)m_eventPoint->Unadvise(m_eventCookie); // The cookie is ours; nothing to do if the point forgot it.
        m_eventPoint.reset();
    }
    m_target.reset();
}

void CTraceWindow::OnCreateControl(ITarget& target)
{
    // A speed outside what the control takes leaves its default; the window is made all the same.
    (void)target.put_DisplayTrace(VARIANT_TRUE);
    (void)target.put_ReplaySpeed(static_cast<LONG>(m_options.replaySpeed));
    (void)target.put_DisplayReplayMark(VARIANT_FALSE);
}

} // namespace talvodesk
