#pragma once

#include <QObject>

class QSystemTrayIcon;

namespace talvowatch {

class TrayModel;

/// Shows the tray model in the desktop's tray, when it has one: the icon of the state and the tip. A double-click
/// opens the catalog browser when it is installed. Without a tray the model alone keeps the state.
/// Thread rule: GUI thread; the model may change on any thread (refreshes are queued here).
class SystemTray : public QObject {
public:
    explicit SystemTray(TrayModel& model);
    ~SystemTray() override;

private:
    void refresh();
    void openCatalogBrowser() const;

    TrayModel& m_model;
    QSystemTrayIcon* m_tray = nullptr; // Child of this object; null without a tray.
};

} // namespace talvowatch
