#include "talvodesk/core/document/TalvoData.h"

#include "talvodesk/core/testing/FakeDevice.h"
#include "talvodesk/core/testing/PracticeFiles.h"
#include "talvodesk/core/testing/RecordingView.h"

#include "talvodata/tests/support/Events.h"

#include "platform/registry/Key.h"
#include "platform/registry/tests/support/RegistryFixture.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace talvodesk;
using namespace talvodesk::testsupport;
using platform::com::Bstr;
using platform::com::ComPtr;

namespace {

class TalvoDataShotsTest : public platform::registry::testing::RegistryFixture {
protected:
    TalvoDataShotsTest() { data.AddView(&view); }

    void open(int match, int sighting, const char* event = "AR10")
    {
        data.Reset();
        ASSERT_TRUE(data.Open(writePractice(folder() / "practice.tlv", match, sighting, event).get()));
        view.received.clear();
    }

    ComPtr<IShot> shotAt(long position)
    {
        ComPtr<IShotCollection> shots;
        ComPtr<IShot> shot;
        EXPECT_TRUE(data.GetShots(shots));
        EXPECT_EQ(S_OK, shots->get_Item(position, shot.put()));
        return shot;
    }

    /// The 1-based position of a shot among all shots, 0 for none.
    long positionOf(IShot* shot)
    {
        ComPtr<IShotCollection> shots;
        LONG count = 0;
        EXPECT_TRUE(data.GetShots(shots));
        EXPECT_EQ(S_OK, shots->get_Count(&count));
        for (LONG i = 1; i <= count; ++i) {
            if (shotAt(i).get() == shot) {
                return i;
            }
        }
        return 0;
    }

    /// An aiming of the fake device with `shots` shots after 300 samples, recorded through AddShot.
    ComPtr<IAiming> record(FakeDevice& device, int shots, bool missed = false)
    {
        ComPtr<IAiming> aiming = device.newAiming();
        ComPtr<IAimingAttr> attributes;
        EXPECT_EQ(S_OK, aiming->get_Attr(attributes.put()));
        EXPECT_EQ(S_OK, attributes->put_Match(VARIANT_TRUE));
        device.coordinates(aiming.get(), 300);
        for (int i = 0; i < shots; ++i) {
            ComPtr<IShot> shot;
            EXPECT_EQ(S_OK, aiming->AddShot(missed ? VARIANT_TRUE : VARIANT_FALSE, shot.put()));
            EXPECT_TRUE(data.AddShot(shot.get(), aiming.get()));
        }
        return aiming;
    }

    RecordingView view;
    CTalvoData data;
};

struct Step {
    long from; // 0: none
    int step;
    long to; // 0: out left empty
};

TEST_F(TalvoDataShotsTest, NavigationWalksSeriesWithSightingSeriesOfTheirOwn)
{
    open(/*match=*/15, /*sighting=*/3);
    data.SetShowSightings(true, false);
    const Step steps[] = {{2, 2, 3},   {3, 2, 13}, {13, -2, 4}, {4, -2, 1}, {1, -2, 0},  {5, 2, 13},
                          {13, 2, 18}, {9, -3, 1}, {9, 3, 18},  {1, -1, 0}, {18, 1, 0},  {7, 1, 8},
                          {7, -1, 6},  {0, 1, 1},  {0, -1, 18}, {0, 2, 1},  {0, -2, 18}, {7, 5, 0}};
    for (const Step& s : steps) {
        SCOPED_TRACE(testing::Message() << "from " << s.from << " step " << s.step);
        ComPtr<IShot> out;
        EXPECT_EQ(s.to != 0, data.NavigateShot(s.from ? shotAt(s.from).get() : nullptr, out, s.step));
        EXPECT_EQ(s.to, positionOf(out.get()));
    }
    // Without sightings the list is the match shots alone (positions 4..18 of all shots), in series of 10.
    data.SetShowSightings(false, false);
    for (const Step& s :
         {Step{4, 2, 13}, Step{13, 2, 18}, Step{18, -2, 14}, Step{14, -2, 4}, Step{2, 1, 4}, Step{2, -1, 18}}) {
        SCOPED_TRACE(testing::Message() << "match only: from " << s.from << " step " << s.step);
        ComPtr<IShot> out;
        EXPECT_TRUE(data.NavigateShot(shotAt(s.from).get(), out, s.step));
        EXPECT_EQ(s.to, positionOf(out.get()));
    }
}

TEST_F(TalvoDataShotsTest, BiathlonNavigationWalksAimings)
{
    ASSERT_TRUE(
        data.NewPractice(talvodata::testsupport::shippedEvent("BTLN").get(), Bstr("Ann").get(), -1, Bstr().get(), 10));
    FakeDevice device("BTLN");
    for (const int shots : {2, 3, 1}) { // Shots 1-2, 3-5 and 6.
        (void)record(device, shots);
    }
    data.SetShowSightings(false, false);
    const Step steps[] = {{4, 2, 5}, {5, 2, 6}, {2, 2, 5}, {4, -2, 3}, {3, -2, 1}, {6, 2, 0}, {1, -2, 0}, {1, 1, 2}};
    for (const Step& s : steps) {
        SCOPED_TRACE(testing::Message() << "from " << s.from << " step " << s.step);
        ComPtr<IShot> out;
        EXPECT_EQ(s.to != 0, data.NavigateShot(shotAt(s.from).get(), out, s.step));
        EXPECT_EQ(s.to, positionOf(out.get()));
    }
}

TEST_F(TalvoDataShotsTest, ShotParametersTakeEachValidValueAndTellOnlyOnChange)
{
    auto root =
        platform::registry::Key::create(platform::registry::Hive::CurrentUser, u"software\\Talvo\\Talvo Professional");
    ASSERT_TRUE(root.hasValue());
    CTalvoData configured({nullptr, &root.value(), nullptr, {}});
    RecordingView watcher;
    configured.AddView(&watcher);
    ASSERT_TRUE(configured.NewPractice(talvodata::testsupport::shippedEvent("AR10").get(), Bstr("Ann").get(), 0,
                                       Bstr().get(), 12));
    EXPECT_TRUE(configured.SetShotParameters(600, 2.5F, 4, -6.0F, 51.0F, true));
    EXPECT_EQ(12, configured.FCoefficient());
    EXPECT_EQ(2.5F, configured.ControlInterval());
    EXPECT_EQ(4, configured.ControlInterval2());
    EXPECT_EQ(0.0F, configured.RealBreachTime());
    EXPECT_EQ(0.0F, configured.DispersionValue());
    EXPECT_TRUE(configured.CentreGroup());
    EXPECT_EQ(4u, root->dword(u"ControlInterval2").value());
    EXPECT_TRUE(configured.SetShotParameters(-500, 0.1F, 1, 0.5F, 50.0F, false));
    EXPECT_EQ(-500, configured.FCoefficient());
    EXPECT_EQ(0.5F, configured.RealBreachTime());
    EXPECT_EQ(50.0F, configured.DispersionValue());
    EXPECT_EQ((std::vector<int>{HintShotParameters, HintShotParameters}), watcher.hints());
    EXPECT_TRUE(configured.SetShotParameters(-500, 0.1F, 1, 0.5F, 50.0F, false));
    EXPECT_EQ(2u, watcher.received.size()) << "nothing changed: no hint";
}

TEST_F(TalvoDataShotsTest, RealBreachIsTheTraceAtTheChosenTime)
{
    ASSERT_TRUE(
        data.NewPractice(talvodata::testsupport::shippedEvent("AR10").get(), Bstr("Ann").get(), 0, Bstr().get(), 0));
    ASSERT_TRUE(data.SetShotParameters(0, 1.0F, 2, -0.5F, 0.0F, false));
    FakeDevice device;
    ComPtr<IAiming> aiming = record(device, 1);
    ComPtr<IShot> shot;
    ASSERT_EQ(S_OK, aiming->get_Shot(1, shot.put()));
    // 300 samples at 200 a second moving (0.03, -0.02) mm each; the shot is at the last one, so half a second
    // before it is sample 199: (5.97, -3.98) mm.
    float x = 0;
    float y = 0;
    ASSERT_EQ(S_OK, shot->get_RealBreachX(&x));
    ASSERT_EQ(S_OK, shot->get_RealBreachY(&y));
    EXPECT_NEAR(5.97, x, 1e-4);
    EXPECT_NEAR(-3.98, y, 1e-4);
    ComPtr<IAimingAttr> attributes;
    VARIANT_BOOL real = VARIANT_FALSE;
    ASSERT_EQ(S_OK, aiming->get_Attr(attributes.put()));
    ASSERT_EQ(S_OK, attributes->get_UseRealBreaches(&real));
    EXPECT_EQ(VARIANT_TRUE, real);
    // Switching it off puts every real breach back to (0, 0).
    ASSERT_TRUE(data.SetShotParameters(0, 1.0F, 2, 0.0F, 0.0F, false));
    ASSERT_EQ(S_OK, shot->get_RealBreachX(&x));
    ASSERT_EQ(S_OK, attributes->get_UseRealBreaches(&real));
    EXPECT_EQ(0.0F, x);
    EXPECT_EQ(VARIANT_FALSE, real);
}

TEST_F(TalvoDataShotsTest, DispersionOffsetsComeFromTheGeneratorOnlyWhenOn)
{
    int drawn = 0;
    CTalvoData dispersed({nullptr, nullptr, nullptr, [&](float& dx, float& dy, float dispersion) {
                              ++drawn;
                              dx = dispersion / 10;
                              dy = -dispersion / 20;
                          }});
    ASSERT_TRUE(dispersed.NewPractice(talvodata::testsupport::shippedEvent("AR10").get(), Bstr("Ann").get(), 0,
                                      Bstr().get(), 12));
    ASSERT_TRUE(dispersed.SetShotParameters(12, 1.0F, 2, 0.0F, 20.0F, false));
    EXPECT_EQ(0, drawn) << "no shots yet";
    FakeDevice device;
    ComPtr<IAiming> aiming = device.newAiming();
    device.coordinates(aiming.get(), 300);
    ComPtr<IShot> shot;
    ASSERT_EQ(S_OK, aiming->AddShot(VARIANT_FALSE, shot.put()));
    ASSERT_TRUE(dispersed.AddShot(shot.get(), aiming.get()));
    float dx = 0;
    float dy = 0;
    EXPECT_EQ(S_OK, shot->get_OffsetX(&dx));
    EXPECT_EQ(S_OK, shot->get_OffsetY(&dy));
    EXPECT_EQ(std::make_pair(2.0F, -1.0F), std::make_pair(dx, dy));
    ASSERT_TRUE(dispersed.SetShotParameters(12, 1.0F, 2, 0.0F, 0.0F, false));
    EXPECT_EQ(S_OK, shot->get_OffsetX(&dx));
    EXPECT_EQ(0.0F, dx);
    EXPECT_EQ(1, drawn);
}

TEST_F(TalvoDataShotsTest, CentringKeepsTheMeanBreachOfTheGroupInTheCentre)
{
    ASSERT_TRUE(
        data.NewPractice(talvodata::testsupport::shippedEvent("AR10").get(), Bstr("Ann").get(), 0, Bstr().get(), 12));
    ASSERT_TRUE(data.SetShotParameters(12, 1.0F, 2, 0.0F, 0.0F, true));
    FakeDevice device;
    for (const bool missed : {false, false, true, false}) {
        SCOPED_TRACE(missed);
        view.received.clear();
        (void)record(device, 1, missed);
        ASSERT_EQ(HintShotAdded, view.received.back().hint);
        EXPECT_EQ(!missed, view.received.back().payload.get<ShotAddedHint>()->centred);
        ComPtr<IShotCollection> match;
        LONG count = 0;
        ASSERT_TRUE(data.GetMatchShots(match));
        ASSERT_EQ(S_OK, match->get_Count(&count));
        double sumX = 0;
        double sumY = 0;
        for (LONG i = 1; i <= count; ++i) {
            ComPtr<IShot> shot;
            VARIANT_BOOL isMissed = VARIANT_FALSE;
            float x = 0;
            float y = 0;
            ASSERT_EQ(S_OK, match->get_Item(i, shot.put()));
            ASSERT_EQ(S_OK, shot->get_Missed(&isMissed));
            if (isMissed == VARIANT_FALSE) {
                ASSERT_EQ(S_OK, shot->Breach(&x, &y));
                sumX += x;
                sumY += y;
            }
        }
        EXPECT_NEAR(0.0, sumX, 1e-3);
        EXPECT_NEAR(0.0, sumY, 1e-3);
    }
}

TEST_F(TalvoDataShotsTest, HidingTheCurrentShotMovesTheSelection)
{
    open(3, 0);
    ComPtr<IShot> first = shotAt(1);
    ComPtr<IShot> second = shotAt(2);
    ComPtr<IShot> third = shotAt(3);
    ASSERT_TRUE(data.SetShotHidden(first.get(), true));
    ComPtr<IShot> current;
    ASSERT_TRUE(data.GetCurrentShot(current));
    EXPECT_EQ(second.get(), current.get()) << "to the next shot";
    ASSERT_TRUE(data.SetCurrentShot(third.get()));
    ASSERT_TRUE(data.SetShotHidden(third.get(), true));
    ASSERT_TRUE(data.GetCurrentShot(current));
    EXPECT_EQ(second.get(), current.get()) << "the last shot hands over to the one before";
    EXPECT_EQ((std::vector<int>{HintReset, HintCurrentShot, HintReset}), view.hints());
    EXPECT_TRUE(data.IsModified());
    // Showing hidden shots again rebuilds the views; with none hidden nothing is said.
    view.received.clear();
    ASSERT_TRUE(data.SetIncludeHidden(true));
    EXPECT_EQ(std::vector<int>{HintReset}, view.hints());
    open(2, 0);
    ASSERT_TRUE(data.SetIncludeHidden(true));
    EXPECT_TRUE(view.received.empty());
}

TEST_F(TalvoDataShotsTest, DeletingSightingShotsMovesTheSelectionToTheFirstMatchShot)
{
    for (const int match : {2, 0}) {
        SCOPED_TRACE(match);
        open(match, 2);
        data.SetShowSightings(true, false);
        ASSERT_TRUE(data.SetCurrentShot(shotAt(2).get()));
        ComPtr<IShot> firstMatch = match > 0 ? shotAt(3) : nullptr;
        view.received.clear();
        ASSERT_TRUE(data.DeleteSightingShots());
        ComPtr<IShot> current;
        EXPECT_EQ(match > 0, data.GetCurrentShot(current));
        EXPECT_EQ(firstMatch.get(), current.get());
        EXPECT_FALSE(data.ShowSightings());
        EXPECT_EQ(std::vector<int>{HintReset}, view.hints());
        ComPtr<IShotCollection> sighting;
        LONG count = -1;
        ASSERT_TRUE(data.GetSightingShots(sighting));
        EXPECT_EQ(S_OK, sighting->get_Count(&count));
        EXPECT_EQ(0, count);
    }
}

TEST_F(TalvoDataShotsTest, AModelMustShareTheEventAndHoldMoreThanOneAiming)
{
    open(3, 0);
    struct Case {
        const char* name;
        int match;
        int sighting;
        const char* event;
        bool accepted;
        std::vector<int> hints;
    };
    const Case cases[] = {
        {"one aiming", 1, 0, "AR10", false, {}},
        {"another event", 3, 0, "AP10", false, {}},
        {"accepted", 2, 1, "AR10", true, {HintModel}},
        {"refused after one", 1, 0, "AR10", false, {HintModel}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        view.received.clear();
        const Bstr path = writePractice(folder() / "model.tlv", c.match, c.sighting, c.event);
        EXPECT_EQ(c.accepted, data.OpenModel(path.get()));
        EXPECT_EQ(c.accepted, data.IsModelValid());
        EXPECT_EQ(c.hints, view.hints());
        if (!c.accepted) {
            continue;
        }
        ComPtr<IAimingCollection> aimings;
        ComPtr<IAiming> aiming;
        ComPtr<IAimingAttr> attributes;
        LONG count = 0;
        LONG coefficient = 0;
        ASSERT_TRUE(data.GetModelAimings(aimings));
        EXPECT_EQ(S_OK, aimings->get_Count(&count));
        EXPECT_EQ(2, count) << "the sighting aiming is gone";
        ASSERT_EQ(S_OK, aimings->get_Item(1, aiming.put()));
        ASSERT_EQ(S_OK, aiming->get_Attr(attributes.put()));
        ASSERT_EQ(S_OK, attributes->get_FCoefficient(&coefficient));
        EXPECT_EQ(data.FCoefficient(), coefficient);
    }
}

TEST_F(TalvoDataShotsTest, ACopyInAFolderLeavesTheDocumentOnItsOwnFile)
{
    open(2, 0);
    Bstr own;
    ASSERT_TRUE(data.GetFileName(own));
    const std::filesystem::path copies = folder() / "copies";
    std::filesystem::create_directories(copies);
    ASSERT_TRUE(data.SaveCopyToFolder(Bstr(copies.string()).get()));
    Bstr after;
    ASSERT_TRUE(data.GetFileName(after));
    EXPECT_EQ(own, after);
    EXPECT_EQ(1, std::distance(std::filesystem::directory_iterator(copies), std::filesystem::directory_iterator()));
    EXPECT_FALSE(data.SaveCopyToFolder(Bstr().get()));
}

} // namespace
