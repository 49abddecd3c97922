#include "talvowatch/app/SystemTray.h"

#include "talvowatch/TrayModel.h"

#include "catalogcache/CatalogEnglish.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QProcess>
#include <QStandardPaths>
#include <QSystemTrayIcon>

namespace talvowatch {

namespace {

// The catalog browser program; the watcher opens it when it is installed beside the watcher or on the path.
constexpr char kBrowserProgram[] = "talvo-catalog";

QIcon iconFor(TrayIcon state)
{
    QPixmap picture(32, 32);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::black, 2));
    const QColor fill = state == TrayIcon::Idle   ? QColor(0x2e, 0x8b, 0x57)
                        : state == TrayIcon::Busy ? QColor(0xe0, 0x9a, 0x1a)
                                                  : QColor(0x1e, 0x6f, 0xd0);
    painter.setBrush(fill);
    painter.drawEllipse(3, 3, 26, 26);
    painter.setBrush(Qt::white);
    painter.drawEllipse(12, 12, 8, 8);
    return QIcon(picture);
}

} // namespace

QString SystemTray::text(std::uint32_t id) const
{
    return QString::fromStdU16String(m_model.texts().text(id));
}

SystemTray::SystemTray(TrayModel& model)
    : m_model(model), m_menu(std::make_unique<QMenu>()), m_tray(new QSystemTrayIcon(this))
{
    m_menu->addAction(text(catalogcache::kOpenCatalogText), this, &SystemTray::openCatalogBrowser);
    m_menu->addSeparator();
    m_menu->addAction(text(catalogcache::kQuitText), QCoreApplication::instance(), &QCoreApplication::quit);
    m_tray->setContextMenu(m_menu.get());
    connect(m_tray, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::DoubleClick) {
            openCatalogBrowser();
        }
    });
    m_model.setObserver([this] {
        QMetaObject::invokeMethod(
            this, [this] { refresh(); }, Qt::QueuedConnection);
    });
    refresh();
    // Shown even without a tray: Qt adds a visible icon to a tray that appears later.
    m_tray->show();
}

SystemTray::~SystemTray()
{
    m_model.setObserver({});
}

void SystemTray::refresh()
{
    m_tray->setIcon(iconFor(m_model.icon()));
    m_tray->setToolTip(QString::fromStdString(m_model.tip()));
    const std::string problem = m_model.problem();
    if (problem != m_shownProblem && !problem.empty() && QSystemTrayIcon::supportsMessages()) {
        m_tray->showMessage(text(catalogcache::kCatalogCaptionText), QString::fromStdString(problem),
                            QSystemTrayIcon::Warning);
    }
    m_shownProblem = problem;
}

void SystemTray::openCatalogBrowser() const
{
    QString program = QDir(QCoreApplication::applicationDirPath()).filePath(kBrowserProgram);
    if (!QFileInfo(program).isExecutable()) {
        program = QStandardPaths::findExecutable(kBrowserProgram);
    }
    if (!program.isEmpty()) {
        QProcess::startDetached(program, {});
    }
}

} // namespace talvowatch
