#include "talvodesk/app/FrameDialogs.h"
#include "talvodesk/app/MainFrame.h"
#include "talvodesk/app/MessageBoxes.h"
#include "talvodesk/app/tests/support/ProgramRun.h"
#include "talvodesk/core/testing/RecordingView.h"
#include "talvodesk/views/InfoView.h"

#include "talvodata/tests/support/AimingBuilder.h"
#include "talvodata/tests/support/Events.h"

#include "interfaces/talvodata/IAimingAttr.h"
#include "platform/com/Bstr.h"
#include "platform/registry/tests/support/RegistryFixture.h"
#include "talvodata/TalvoDocument.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>

#include <cmath>
#include <filesystem>

using namespace talvodesk;
namespace fs = std::filesystem;
using platform::com::Bstr;
using platform::com::ComPtr;

namespace {

/// Saves a practice of `count` shots spread round the centre in rings of `spread` hundredths of a millimetre,
/// each aimed for 1.5 s on a small circling trace and shot about every 40 s.
void writeSpreadPractice(const fs::path& path, const char* shooter, int count, LONG spread)
{
    auto document = talvodata::CTalvoDocument::create().value();
    ASSERT_EQ(S_OK, document->put_Event(talvodata::testsupport::shippedEvent("AR10").get()));
    ASSERT_EQ(S_OK, document->put_ShooterName(Bstr(shooter).get()));
    ComPtr<IAimingCollection> aimings;
    ASSERT_EQ(S_OK, document->get_Aimings(aimings.put()));
    constexpr DATE kStart = 46000.5;
    for (int i = 0; i < count; ++i) {
        const double angle = i * 2.4;
        const LONG radius = spread * (1 + i % 4);
        const auto x = static_cast<LONG>(std::lround(radius * std::cos(angle)));
        const auto y = static_cast<LONG>(std::lround(radius * std::sin(angle)));
        ComPtr<IAiming> aiming = talvodata::testsupport::AimingBuilder("AR10")
                                     .at(x - 150, y + 90)
                                     .samples(150, 2, -1)
                                     .samples(150, -1, 0)
                                     .shot()
                                     .samples(20, 1, 1)
                                     .conclude()
                                     .build();
        ComPtr<IAimingAttr> attributes;
        ASSERT_EQ(S_OK, aiming->get_Attr(attributes.put()));
        ASSERT_EQ(S_OK, attributes->put_Match(VARIANT_TRUE));
        const double seconds = 40.0 * i + (i % 3) * 7.0;
        ASSERT_EQ(S_OK, attributes->put_EnterTime(kStart + (seconds - 1.5) / 86400.0));
        ComPtr<IShot> shot;
        ASSERT_EQ(S_OK, aiming->get_Shot(1, shot.put()));
        ASSERT_EQ(S_OK, shot->put_ShotTime(kStart + seconds / 86400.0));
        ASSERT_EQ(S_OK, aimings->Add(aiming.get()));
    }
    ASSERT_EQ(S_OK, document->put_FileName(Bstr(path.string()).get()));
    ASSERT_EQ(S_OK, document->Save());
}

/// Dialogs that answer at once: the model file for the catalog, nothing else.
class ModelDialogs final : public FrameDialogs {
public:
    std::optional<fs::path> openFromCatalog(QWidget*, const CatalogChoice&) override { return model; }
    std::optional<StartPracticeChoice> startPractice(QWidget*, const StartPracticeRequest&) override
    {
        ++startDialogs;
        return std::nullopt;
    }

    std::optional<fs::path> model;
    int startDialogs = 0;
};

class InfoPageProgramTest : public platform::registry::testing::RegistryFixture {
protected:
    InfoPageProgramTest()
    {
        setEnvironment("HOME", folder().c_str());
        setEnvironment("XDG_DATA_HOME", nullptr);
        SetMessageBoxAnswerer([](const MessageBoxRequest&) { return IDNO; });
    }
    ~InfoPageProgramTest() override { SetMessageBoxAnswerer({}); }

    ModelDialogs dialogs;
};

std::string labelText(CInfoView& view, const char* id)
{
    auto* label = qobject_cast<QLabel*>(view.element(QString::fromLatin1(id)));
    return label ? label->text().toStdString() : "(no label)";
}

TEST_F(InfoPageProgramTest, ThePageOfAPracticeWithItsModelTakesTheShootersTyping)
{
    const fs::path practice = folder() / "practice.talvo";
    const fs::path model = folder() / "model.talvo";
    writeSpreadPractice(practice, "Ann", 60, 60);
    writeSpreadPractice(model, "Bob", 60, 35);
    dialogs.model = model;
    bool ran = false;
    const int code = testsupport::RunProgramWith({practice.string()}, dialogs, [&](MainFrame& running) {
        MainFrame* const frame = &running;
        frame->resize(1100, 1300);
        QApplication::setActiveWindow(frame);
        frame->runCommand(cmd::OpenModel);
        frame->runCommand(cmd::ViewInfo);
        auto* view = dynamic_cast<CInfoView*>(frame->findChild<QWidget*>(QStringLiteral("InfoView")));
        ASSERT_NE(view, nullptr);
        ASSERT_TRUE(view->isVisible());
        QCoreApplication::processEvents();
        EXPECT_TRUE(view->element(QStringLiteral("idStatRow"))->isVisible());
        EXPECT_FALSE(view->element(QStringLiteral("idIntro"))->isVisible());
        EXPECT_EQ("60<font color=red> (60)</font>", labelText(*view, "idShotCount"));
        EXPECT_EQ("Bob", labelText(*view, "idShooterNameModel"));
        const fs::path artifacts = fs::path(TALVO_TEST_ARTIFACTS);
        fs::create_directories(artifacts);
        EXPECT_TRUE(frame->grab().toImage().save(
            QString::fromStdString((artifacts / "info-page-60-shots-with-model.png").string())));

        testsupport::RecordingView hints;
        frame->document().AddView(&hints);
        auto* name = qobject_cast<QLineEdit*>(view->element(QStringLiteral("idShooterName")));
        ASSERT_NE(name, nullptr);
        EXPECT_EQ("Ann", name->text().toStdString());
        name->setFocus();
        name->end(false);
        QElapsedTimer sinceRelease;
        QTest::keyClicks(name, QStringLiteral("ie"));
        sinceRelease.start();
        Bstr stored;
        ASSERT_TRUE(frame->document().GetShooterName(stored));
        EXPECT_EQ(u"Ann", stored.view()) << "reported only after the delay";
        EXPECT_TRUE(QTest::qWaitFor([&] { return !hints.received.empty(); }, 5000));
        EXPECT_GE(sinceRelease.elapsed(), 100);
        QTest::qWait(250); // The report of the second key release comes and changes nothing.
        EXPECT_EQ(std::vector<int>{HintShooterName}, hints.hints());
        ASSERT_TRUE(frame->document().GetShooterName(stored));
        EXPECT_EQ(u"Annie", stored.view());

        auto* comments = qobject_cast<QPlainTextEdit*>(view->element(QStringLiteral("idComments")));
        ASSERT_NE(comments, nullptr);
        comments->setFocus();
        QTest::keyClicks(comments, QStringLiteral("calm day"));
        QTest::keyClick(comments, Qt::Key_Return);
        QTest::keyClicks(comments, QStringLiteral("no wind"));
        EXPECT_EQ("calm day\nno wind", comments->toPlainText().toStdString());
        Bstr text;
        EXPECT_TRUE(QTest::qWaitFor(
            [&] { return frame->document().GetComments(text) && text.view() == u"calm day\nno wind"; }, 5000));
        EXPECT_EQ(cmd::ViewInfo, frame->currentView()) << "Space and Enter ran no command";
        frame->document().RemoveView(&hints);
        ran = true;
    });
    EXPECT_EQ(0, code);
    EXPECT_TRUE(ran);
}

TEST_F(InfoPageProgramTest, TheWelcomeTilesRunStartPracticeAndOpen)
{
    const fs::path practice = folder() / "practice.talvo";
    writeSpreadPractice(practice, "Ann", 10, 60);
    dialogs.model = practice;
    std::vector<int> ran;
    const int code = testsupport::RunProgramWith({}, dialogs, [&](MainFrame& running) {
        MainFrame* const frame = &running;
        QObject::connect(frame, &MainFrame::commandRan, frame, [&](int id) { ran.push_back(id); });
        auto* view = dynamic_cast<CInfoView*>(frame->findChild<QWidget*>(QStringLiteral("InfoView")));
        ASSERT_NE(view, nullptr);
        EXPECT_TRUE(view->element(QStringLiteral("idIntro"))->isVisible());
        EXPECT_FALSE(view->element(QStringLiteral("idAllInfo"))->isVisible());
        auto* start = view->findChild<QWidget*>(QStringLiteral("idStartPractice"));
        auto* open = view->findChild<QWidget*>(QStringLiteral("idOpen"));
        ASSERT_TRUE(start && open);
        QTest::mouseClick(start, Qt::LeftButton);
        EXPECT_TRUE(ran.empty()) << "the command runs after the click";
        QCoreApplication::processEvents();
        EXPECT_EQ(1, dialogs.startDialogs);
        QTest::mouseClick(open, Qt::LeftButton);
        QCoreApplication::processEvents();
        EXPECT_EQ((std::vector<int>{cmd::StartPractice, cmd::FileOpen}), ran);
        // The web line's link runs the web page command.
        auto* web = qobject_cast<QLabel*>(view->element(QStringLiteral("idAdditionalInfoText")));
        ASSERT_NE(web, nullptr);
        EXPECT_TRUE(web->text().contains(QStringLiteral("<a href="))) << web->text().toStdString();
        EXPECT_TRUE(web->textInteractionFlags() & Qt::LinksAccessibleByMouse);
        emit web->linkActivated(QStringLiteral("talvo:web-page"));
        QCoreApplication::processEvents();
        EXPECT_EQ((std::vector<int>{cmd::StartPractice, cmd::FileOpen, cmd::WebPage}), ran);
        EXPECT_TRUE(frame->document().IsValid());
        frame->runCommand(cmd::ViewInfo);
        EXPECT_FALSE(view->element(QStringLiteral("idIntro"))->isVisible());
        EXPECT_TRUE(view->element(QStringLiteral("idAllInfo"))->isVisible());
    });
    EXPECT_EQ(0, code);
}

} // namespace
