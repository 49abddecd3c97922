#include "talvodesk/app/FirstPaintProbe.h"

#include "talvodesk/app/MessageLoop.h"

#include <QCoreApplication>
#include <QEvent>
#include <QMainWindow>

#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace talvodesk::app {

namespace {

class FirstPaintProbe final : public QObject {
public:
    explicit FirstPaintProbe(int fd) : QObject(QCoreApplication::instance()), m_fd(fd) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::Paint || !watched->isWidgetType() ||
            !qobject_cast<QMainWindow*>(static_cast<QWidget*>(watched)->window())) {
            return false;
        }
        QCoreApplication::instance()->removeEventFilter(this);
        // Queued, so that the byte goes once the whole window has painted.
        QMetaObject::invokeMethod(
            this,
            [this] {
                const char painted = 1;
                [[maybe_unused]] const ssize_t written = ::write(m_fd, &painted, 1);
                ::close(m_fd);
                CMessageLoop2::Quit(0);
            },
            Qt::QueuedConnection);
        return false;
    }

private:
    int m_fd;
};

} // namespace

void InstallFirstPaintProbe()
{
    const char* fd = std::getenv("TALVO_FIRST_PAINT_FD");
    if (fd == nullptr || *fd == '\0') {
        return;
    }
    char* end = nullptr;
    const long number = std::strtol(fd, &end, 10);
    if (*end != '\0' || number < 0 || ::fcntl(static_cast<int>(number), F_GETFD) < 0) {
        return;
    }
    QCoreApplication::instance()->installEventFilter(new FirstPaintProbe(static_cast<int>(number)));
}

} // namespace talvodesk::app
