#pragma once

#include <QObject>
#include <QString>

#include <cstdint>
#include <memory>
#include <string>

class QMenu;
class QSystemTrayIcon;

namespace talvowatch {

class TrayModel;

/// Shows the tray model in the desktop's tray: the icon of the state and the tip, and a message when a problem with
/// the catalog folder appears. A double-click, or "Open catalog" in its menu, opens the catalog browser when it is
/// installed; "Quit" ends the watcher. Its texts are the model's. A tray that appears after the start gets the icon
/// then. Thread rule: GUI thread; the model may change on any thread (refreshes are queued here).
class SystemTray : public QObject {
public:
    explicit SystemTray(TrayModel& model);
    ~SystemTray() override;

    /// The tray icon's menu.
    QMenu* menu() const { return m_menu.get(); }

private:
    void refresh();
    void openCatalogBrowser() const;
    QString text(std::uint32_t id) const;

    TrayModel& m_model;
    std::unique_ptr<QMenu> m_menu; // A menu has no parent here: the icon does not own it.
    QSystemTrayIcon* m_tray;       // Child of this object.
    std::string m_shownProblem;
};

} // namespace talvowatch
