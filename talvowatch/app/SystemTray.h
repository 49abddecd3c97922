#pragma once

#include <QObject>

#include <string>

class QSystemTrayIcon;

namespace talvowatch {

class TrayModel;

/// Shows the tray model in the desktop's tray: the icon of the state and the tip, and a message when a problem with
/// the catalog folder appears. A double-click opens the catalog browser when it is installed. A tray that appears
/// after the start gets the icon then.
/// Thread rule: GUI thread; the model may change on any thread (refreshes are queued here).
class SystemTray : public QObject {
public:
    explicit SystemTray(TrayModel& model);
    ~SystemTray() override;

private:
    void refresh();
    void openCatalogBrowser() const;

    TrayModel& m_model;
    QSystemTrayIcon* m_tray; // Child of this object.
    std::string m_shownProblem;
};

} // namespace talvowatch
