#include "talvodesk/app/WindowHelpers.h"
#include "talvodesk/app/MessageBoxes.h"
#include "talvodesk/app/MessageLoop.h"
#include "talvodesk/app/SensingBar.h"
#include "talvodesk/core/options/AppModule.h"

#include <QCoreApplication>
#include <QEvent>
#include <QImage>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

using namespace talvodesk;

namespace {

TEST(WindowHelpersTest, LayoutDirectionRectInParentAndHostDispatch)
{
    QWidget parent;
    auto* child = new QWidget(&parent);
    child->setGeometry(12, 34, 100, 50);
    ApplyRTLLayout(&parent, true, true);
    EXPECT_EQ(child->layoutDirection(), Qt::RightToLeft);
    ApplyRTLLayout(&parent, false, false);
    EXPECT_EQ(child->layoutDirection(), Qt::LeftToRight);

    QRect rect;
    EXPECT_TRUE(GetWindowRectInParent(child, &rect));
    EXPECT_EQ(rect, QRect(12, 34, 100, 50));
    EXPECT_FALSE(GetWindowRectInParent(&parent, &rect));

    struct PageHost final : QWidget, ExternalDispatchHost {
        HRESULT SetExternalDispatch(IDispatch* dispatch) override
        {
            received = dispatch;
            return S_OK;
        }
        IDispatch* received = reinterpret_cast<IDispatch*>(1);
    } host;
    EXPECT_EQ(SetHostExternalDispatch(&host, nullptr), S_OK);
    EXPECT_EQ(host.received, nullptr);
    EXPECT_EQ(SetHostExternalDispatch(&parent, nullptr), E_NOINTERFACE);
    EXPECT_TRUE(IsBrowserInstalled());
}

TEST(WindowHelpersTest, ResMessageBoxIsTaskModalAndReadsRightToLeftWithTheLanguage)
{
    std::vector<MessageBoxRequest> boxes;
    SetMessageBoxAnswerer([&](const MessageBoxRequest& box) {
        boxes.push_back(box);
        return IDNO;
    });
    CTalvoAppModule module;
    EXPECT_EQ(ResMessageBox(module, 32850, MB_YESNO | MB_ICONERROR, 128, nullptr), IDNO);
    module.m_bRTL = true;
    (void)ResMessageBox(module, 32863, MB_OK, 128, nullptr);
    SetMessageBoxAnswerer({});
    ASSERT_EQ(boxes.size(), 2U);
    EXPECT_EQ(boxes[0].text.toStdString(), "Do you want to delete all shots?");
    EXPECT_EQ(boxes[0].caption.toStdString(), "Talvo Professional");
    EXPECT_EQ(boxes[0].type, MB_YESNO | MB_ICONERROR | MB_TASKMODAL);
    EXPECT_EQ(boxes[1].type, MB_OK | MB_TASKMODAL | MB_RTLREADING);
}

TEST(WindowHelpersTest, SensingBarPaintsGreenUpToTheHighMarkAndRedAbove)
{
    SensingBar bar;
    bar.resize(20, 512);
    bar.setPosition(400);
    QImage image(bar.size(), QImage::Format_RGB32);
    image.fill(Qt::white);
    bar.render(&image);
    EXPECT_EQ(image.pixelColor(10, 500), QColor(0, 255, 0));
    EXPECT_EQ(image.pixelColor(10, 150), QColor(255, 0, 0));
    EXPECT_EQ(image.pixelColor(10, 50), bar.palette().color(QPalette::Window)); // the default background
}

TEST(MessageLoopTest, IdleHandlersRunWhenIdleAndAfterMessagesButNotAfterTimers)
{
    EXPECT_EQ(app::CMessageLoop2::messageOf(QEvent(QEvent::Timer)), 0x0113U);
    EXPECT_EQ(app::CMessageLoop2::messageOf(QEvent(QEvent::Paint)), 0x000FU);
    EXPECT_EQ(app::CMessageLoop2::messageOf(QEvent(QEvent::MouseMove)), 0x0200U);

    app::CMessageLoop2 loop;
    std::vector<int> counts;
    loop.addIdleHandler([&](int count) {
        counts.push_back(count);
        return count < 2; // asks for two more calls
    });
    QObject target;
    QTimer plain; // a timer does not restart idling
    QTimer poster;
    QTimer quitter;
    QObject::connect(&poster, &QTimer::timeout, &target,
                     [&] { QCoreApplication::postEvent(&target, new QEvent(QEvent::User)); });
    QObject::connect(&quitter, &QTimer::timeout, &target, [] { app::CMessageLoop2::Quit(7); });
    for (auto [timer, ms] : {std::pair{&plain, 20}, std::pair{&poster, 40}, std::pair{&quitter, 80}}) {
        timer->setSingleShot(true);
        timer->start(ms);
    }
    EXPECT_EQ(loop.Run(), 7);
    EXPECT_EQ(counts, (std::vector<int>{0, 1, 2, 0, 1, 2}));
}

} // namespace
