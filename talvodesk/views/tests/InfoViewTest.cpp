#include "talvodesk/views/InfoView.h"

#include "talvodesk/core/document/TalvoData.h"
#include "talvodesk/core/options/AppModule.h"
#include "talvodesk/core/options/Options.h"

#include "talvodata/tests/support/AimingBuilder.h"
#include "talvodata/tests/support/Events.h"

#include "interfaces/talvodata/IAimingAttr.h"
#include "platform/com/Bstr.h"
#include "platform/com/ObjectIdentity.h"
#include "platform/fs/tests/support/TemporaryFolder.h"
#include "platform/time/ManualClock.h"
#include "talvodata/TalvoDocument.h"

#include <QLabel>

#include <gtest/gtest.h>

#include <vector>

using namespace talvodesk;
using platform::com::Bstr;
using platform::com::ComPtr;

namespace {

/// Saves a practice of one-shot aimings on the given sub-targets, every shot at `x` hundredths of a millimetre.
Bstr writePractice(const std::filesystem::path& path, const char* event, const std::vector<LONG>& subTargets, LONG x)
{
    auto document = talvodata::CTalvoDocument::create().value();
    EXPECT_EQ(S_OK, document->put_Event(talvodata::testsupport::shippedEvent(event).get()));
    EXPECT_EQ(S_OK, document->put_ShooterName(Bstr("Ann").get()));
    ComPtr<IAimingCollection> aimings;
    EXPECT_EQ(S_OK, document->get_Aimings(aimings.put()));
    for (std::size_t i = 0; i < subTargets.size(); ++i) {
        ComPtr<IAiming> aiming = talvodata::testsupport::AimingBuilder(event).at(x, 0).samples(300).shot().build();
        ComPtr<IAimingAttr> attributes;
        EXPECT_EQ(S_OK, aiming->get_Attr(attributes.put()));
        EXPECT_EQ(S_OK, attributes->put_Match(VARIANT_TRUE));
        EXPECT_EQ(S_OK, attributes->put_SubTarget(subTargets[i]));
        EXPECT_EQ(S_OK, attributes->put_EnterTime(46000.5 + static_cast<double>(i) / 1000));
        EXPECT_EQ(S_OK, aimings->Add(aiming.get()));
    }
    Bstr name(path.string());
    EXPECT_EQ(S_OK, document->put_FileName(name.get()));
    EXPECT_EQ(S_OK, document->Save());
    return name;
}

LONG count(ITarget* target)
{
    LONG held = -1;
    EXPECT_EQ(S_OK, target->get_Count(&held));
    return held;
}

TEST(InfoViewTest, TargetsHoldEachSidesAimingsAndOnlyThePracticesShowTheCurrentShot)
{
    struct Case {
        const char* event;
        std::vector<LONG> practice;
        std::vector<LONG> model;
        LONG x;
        /// Aimings held by Target1, TargetStanding1, TargetProne1, Target2, TargetStanding2, TargetProne2.
        std::vector<LONG> held;
        /// The targets that show the last shot selected (a control shows only a shot it holds).
        std::vector<std::u16string_view> selecting;
    };
    const Case cases[] = {
        {"AR10", {1, 1, 1}, {1, 1}, 100, {3, 3, 0, 2, 2, 0}, {u"Target1"}},
        {"BTLN", {1, 2, 2}, {2, 2}, -33000, {3, 1, 2, 2, 0, 2}, {u"TargetProne1"}},
    };
    platform::fs::testing::TemporaryFolder folder;
    CTalvoAppModule module;
    COptions options;
    platform::time::ManualClock clock;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.event);
        CTalvoData data;
        CInfoView view({module, options, clock, {}});
        data.AddView(&view.logic());
        view.resize(700, 900);
        view.show();
        ASSERT_TRUE(data.Open(writePractice(folder / "practice.talvo", c.event, c.practice, c.x).get()))
            << platform::com::utf16ToUtf8(data.ReadError().view());
        ASSERT_TRUE(data.OpenModel(writePractice(folder / "model.talvo", c.event, c.model, c.x).get()));
        std::vector<LONG> held;
        for (const std::u16string_view id :
             {u"Target1", u"TargetStanding1", u"TargetProne1", u"Target2", u"TargetStanding2", u"TargetProne2"}) {
            ITarget* target = view.logic().page().target(id);
            ASSERT_NE(nullptr, target);
            held.push_back(count(target));
            VARIANT_BOOL selectable = VARIANT_FALSE;
            EXPECT_EQ(S_OK, target->get_Selectable(&selectable));
            EXPECT_EQ(id.back() == u'1', selectable == VARIANT_TRUE);
        }
        EXPECT_EQ(c.held, held);
        LONG face = 0;
        EXPECT_EQ(S_OK, view.logic().page().target(u"TargetProne2")->get_SubTarget(&face));
        EXPECT_EQ(2, face);
        // The cross at the group centre: two line elements, made again at each fill.
        view.logic().Fill(true, true);
        LONG elements = 0;
        EXPECT_EQ(S_OK, view.logic().page().target(u"Target1")->get_ElementCount(&elements));
        EXPECT_EQ(2, elements);

        ComPtr<IShotCollection> shots;
        ComPtr<IShot> last;
        ASSERT_TRUE(data.GetMatchShots(shots));
        ASSERT_EQ(S_OK, shots->get_Item(static_cast<LONG>(c.practice.size()), last.put()));
        ASSERT_TRUE(data.SetCurrentShot(last.get()));
        for (const std::u16string_view id : c.selecting) {
            ComPtr<IShot> selected;
            EXPECT_EQ(S_OK, view.logic().page().target(id)->get_SelectedShot(selected.put()));
            EXPECT_TRUE(platform::com::isSameObject(selected.get(), last.get()));
        }
        const bool intro = view.element(QStringLiteral("idIntro"))->isVisible();
        EXPECT_FALSE(intro);
        data.RemoveView(&view.logic());
    }
}

} // namespace
