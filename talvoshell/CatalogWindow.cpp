#include "talvoshell/CatalogWindow.h"

#include "catalogcache/CatalogEnglish.h"
#include "platform/shell/Computer.h"

#include <QToolBar>
#include <QVBoxLayout>

#include <cstring>

namespace talvoshell {

using namespace platform::shell;
using platform::com::ComPtr;

namespace {

/// The computer's and the root's items.
constexpr int kRootDepth = 2;

int depthOf(LPCITEMIDLIST list)
{
    int depth = 0;
    for (LPCITEMIDLIST item = ILGetSize(list) > 0 ? list : nullptr; item; item = ILNext(item)) {
        ++depth;
    }
    return depth;
}

} // namespace

CatalogWindow::CatalogWindow(catalogcache::CatalogTexts texts)
    : m_texts(std::move(texts)), m_area(new QWidget(this)), m_layout(new QVBoxLayout(m_area))
{
    setWindowTitle(text(catalogcache::kCatalogCaptionText));
    m_layout->setContentsMargins(0, 0, 0, 0);
    setCentralWidget(m_area);
    QToolBar* tools = addToolBar(text(catalogcache::kFoldersText));
    tools->addAction(text(catalogcache::kUpText), this, [this] { Up(); });
    resize(640, 420);
}

CatalogWindow::~CatalogWindow()
{
    ReleaseView();
}

bool CatalogWindow::Navigate(LPCITEMIDLIST absolute)
{
    ComPtr<IShellFolder> folder;
    ComPtr<IShellView> view;
    if (FAILED(BindToFolder(absolute, folder.put())) ||
        FAILED(folder->CreateViewObject(this, IShellView::kIid, view.putVoid()))) {
        return false;
    }
    ReleaseView();
    HWND window = nullptr;
    if (FAILED(view->CreateViewWindow(nullptr, &m_settings, this, m_area, &window))) {
        return false;
    }
    m_layout->addWidget(window);
    m_view = std::move(view);
    m_current.reset(ILClone(absolute));
    QString title = text(catalogcache::kCatalogCaptionText);
    for (LPCITEMIDLIST item = ILNext(ILNext(absolute)); item; item = ILNext(item)) {
        title += QStringLiteral(" - ") + QString::fromStdU16String(ILItemName(item));
    }
    setWindowTitle(title);
    return true;
}

void CatalogWindow::Up()
{
    if (depthOf(m_current.get()) <= kRootDepth) {
        return;
    }
    LPCITEMIDLIST last = ILFindLastID(m_current.get());
    ItemIdPtr parent(ILClone(m_current.get()));
    std::memset(parent->bytes + (ILGetSize(m_current.get()) - ILGetSize(last)), 0, 2);
    Navigate(parent.get());
}

HRESULT CatalogWindow::QueryInterface(REFIID riid, void** ppvObject)
{
    if (!ppvObject) {
        return E_POINTER;
    }
    if (riid != IUnknown::kIid && riid != IShellBrowser::kIid) {
        *ppvObject = nullptr;
        return E_NOINTERFACE;
    }
    *ppvObject = static_cast<IShellBrowser*>(this);
    return S_OK;
}

HRESULT CatalogWindow::GetWindow(HWND* phwnd)
{
    if (!phwnd) {
        return E_POINTER;
    }
    *phwnd = this;
    return S_OK;
}

HRESULT CatalogWindow::BrowseObject(LPCITEMIDLIST pidl, UINT wFlags)
{
    if (!pidl) {
        return E_INVALIDARG;
    }
    ItemIdPtr list((wFlags & SBSP_RELATIVE) != 0 ? ILCombine(m_current.get(), pidl) : ILClone(pidl));
    // The view answers the user from its own events: it must not be destroyed under them.
    QMetaObject::invokeMethod(
        this,
        [this, shown = std::shared_ptr<ITEMIDLIST>(list.release(), ItemIdListDeleter())] { Navigate(shown.get()); },
        Qt::QueuedConnection);
    return S_OK;
}

void CatalogWindow::ReleaseView()
{
    if (m_view) {
        (void)m_view->GetCurrentInfo(&m_settings);
        (void)m_view->DestroyViewWindow();
        m_view.reset();
    }
}

} // namespace talvoshell
