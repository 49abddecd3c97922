#include "talvodata/EventManager.h"
#include "talvodata/EventsFolder.h"

#include "platform/com/Bstr.h"
#include "platform/storage/CompoundFile.h"
#include "platform/testing/Matchers.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <filesystem>
#include <set>

// The shipped events, as the build generated them from data/events, scored on their real faces.
namespace talvodata {
namespace {

using platform::com::Bstr;
using platform::com::ComPtr;

std::filesystem::path eventDataFolder()
{
    if (const char* source = std::getenv("TALVO_SOURCE_DIR")) {
        return std::filesystem::path(source) / "data" / "events";
    }
    return std::filesystem::path(__FILE__).parent_path().parent_path().parent_path() / "data" / "events";
}

class EventFacesTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { s_events = CEventManager::create().detach(); }
    static void TearDownTestSuite()
    {
        s_events->Release();
        s_events = nullptr;
    }

    static ComPtr<IEventParams> event(const char* shortName)
    {
        ComPtr<IEventParams> found;
        EXPECT_HR(S_OK, s_events->FindByShortName(Bstr(shortName).get(), found.put())) << shortName;
        return found;
    }

    static CEventManager* s_events;
};

CEventManager* EventFacesTest::s_events = nullptr;

TEST_F(EventFacesTest, EveryDataFileBecameAnEventThatScores)
{
    std::set<std::string> expected;
    for (const auto& entry : std::filesystem::directory_iterator(eventDataFolder())) {
        if (entry.path().extension() == ".event") {
            expected.insert(entry.path().stem().string());
        }
    }
    ASSERT_FALSE(expected.empty()) << eventDataFolder();
    LONG count = 0;
    ASSERT_HR(S_OK, s_events->get_Count(&count));
    EXPECT_EQ(expected.size(), static_cast<std::size_t>(count));

    for (const std::string& shortName : expected) {
        SCOPED_TRACE(shortName);
        auto found = event(shortName.c_str());
        ASSERT_TRUE(found);
        ComPtr<ITargetParams> face;
        ASSERT_HR(S_OK, found->get_Target(1, face.put()));
        float width = 0;
        ASSERT_HR(S_OK, face->get_FormWidth(&width));
        float score = -1;
        ASSERT_HR(S_OK, found->GetBreachScore(0, 0, 1, &score));
        EXPECT_FLOAT_EQ(shortName == "BTLN" ? 10.0F : 10.9F, score);
        ASSERT_HR(S_OK, found->GetBreachScore(width / 2 + 0.5F, 0, 1, &score));
        EXPECT_EQ(0.0F, score);
    }
}

TEST_F(EventFacesTest, EventFileHoldsOneContentsStreamWithTheEventRecord)
{
    auto root = platform::storage::openCompoundFile(eventsFolder() / "AR10.evl");
    ASSERT_THAT(root, IsOk());
    std::vector<STATSTG> elements;
    ASSERT_HR(S_OK, root.value()->ListElements(&elements));
    ASSERT_EQ(1U, elements.size());
    EXPECT_EQ(u"Contents", elements[0].name);
    EXPECT_EQ(DWORD(STGTY_STREAM), elements[0].type);

    ComPtr<IStream> contents;
    ASSERT_HR(S_OK, root.value()->OpenStream(u"Contents", STGM_READ | STGM_SHARE_EXCLUSIVE, contents.put()));
    std::uint8_t head[20] = {};
    ULONG read = 0;
    ASSERT_HR(S_OK, contents->Read(head, sizeof head, &read));
    ASSERT_EQ(sizeof head, read);
    const auto classId = platform::com::guidToBytes(CLSID_EventParams);
    EXPECT_TRUE(std::equal(classId.begin(), classId.end(), head));
    EXPECT_EQ((std::array<std::uint8_t, 4>{4, 0, 0, 0}),
              (std::array<std::uint8_t, 4>{head[16], head[17], head[18], head[19]}));
}

struct FacePoint {
    const char* shortName;
    float x;
    float y;
    float expected;
    bool breach = true;
    LONG subTarget = 1;
};

void PrintTo(const FacePoint& p, std::ostream* out)
{
    *out << p.shortName << " sub-target " << p.subTarget << (p.breach ? " breach (" : " point (") << p.x << ", " << p.y
         << ")";
}

class EventFaceScoreTest : public EventFacesTest, public ::testing::WithParamInterface<FacePoint> {};

TEST_P(EventFaceScoreTest, ScoresThePoint)
{
    const FacePoint& p = GetParam();
    auto found = event(p.shortName);
    ASSERT_TRUE(found);
    float score = -1;
    ASSERT_HR(S_OK, p.breach ? found->GetBreachScore(p.x, p.y, p.subTarget, &score)
                             : found->GetPointScore(p.x, p.y, p.subTarget, &score));
    EXPECT_FLOAT_EQ(p.expected, score);
}

// Widened ring radii, (diameter + calibre) / 2: air rifle 2.5 x (11 - n); air pistol 8 x (11 - n);
// 50 m rifle 8 x (11 - n); 25/50 m precision 25 x (11 - n) + 2.8 (.22) or + 4.825 (centre-fire); rapid fire
// 52.8, 92.8, ... 252.8 for rings 10 to 5 (.22); 300 m 50 x (11 - n) + 4; running target 5 + 2.5 x (10 - n).
// Where ring 10's widened radius is wider than one ring step (25/50 m pistol, rapid fire, 300 m, running target),
// its tenths spread over that whole radius (5.4 mm each on the 300 m face, not a tenth of the 50 mm step), so
// R300 at 27 mm scores 10.5, not the 10.4 of tenths counted by ring step.
INSTANTIATE_TEST_SUITE_P(AirRifle, EventFaceScoreTest,
                         ::testing::Values(FacePoint{"AR10", 2.5F, 0, 10.0F}, FacePoint{"AR10", 0.25F, 0, 10.9F},
                                           FacePoint{"AR10", 0, 0, 10.9F}, FacePoint{"AR10", 0, -0.5F, 10.8F},
                                           FacePoint{"AR10", 1.25F, 0, 10.5F}, FacePoint{"AR10", 3, 4, 9.0F},
                                           FacePoint{"AR10", 0, 3.75F, 9.5F}, FacePoint{"AR10", -12.5F, 0, 6.0F},
                                           FacePoint{"AR10", 13.75F, 0, 5.5F}, FacePoint{"AR10", 15, 20, 1.0F},
                                           FacePoint{"AR10", 25.01F, 0, 0.0F}, FacePoint{"AR10", 40.5F, 0, 0.0F},
                                           FacePoint{"AR10", 0.25F, 0, 10.0F, /*breach=*/false},
                                           FacePoint{"AR10", 2.5F, 0, 9.1F, /*breach=*/false}));

INSTANTIATE_TEST_SUITE_P(AirPistol, EventFaceScoreTest,
                         ::testing::Values(FacePoint{"AP10", 0, 0, 10.9F}, FacePoint{"AP10", 8, 0, 10.0F},
                                           FacePoint{"AP10", 4, 0, 10.5F}, FacePoint{"AP10", 0, 1, 10.8F},
                                           FacePoint{"AP10", 16, 0, 9.0F}, FacePoint{"AP10", 0, -12, 9.5F},
                                           FacePoint{"AP10", 24, 32, 6.0F}, FacePoint{"AP10", 48, 64, 1.0F},
                                           FacePoint{"AP10", 80.5F, 0, 0.0F}, FacePoint{"AP10", 86, 0, 0.0F},
                                           // Within a float step of a tenth: R - d in single precision rounds
                                           // across the boundary.
                                           FacePoint{"AP10", 0.79999995F, 0, 10.9F}, FacePoint{"AP10", 1.6F, 0, 10.7F},
                                           FacePoint{"AP10", 5.75F, 0, 10.0F, /*breach=*/false},
                                           FacePoint{"AP10", 6, 0, 9.9F, /*breach=*/false}));

INSTANTIATE_TEST_SUITE_P(Rifle50, EventFaceScoreTest,
                         ::testing::Values(FacePoint{"SBR50", 0, 0, 10.9F}, FacePoint{"SBR50", 4, 0, 10.5F},
                                           FacePoint{"SBR50", 0, 12, 9.5F}, FacePoint{"SBR50", 44, 0, 5.5F},
                                           FacePoint{"SBR50", 79, 0, 1.1F}, FacePoint{"SBR50", 81, 0, 0.0F},
                                           FacePoint{"SBR50", 0, 125.5F, 0.0F}));

INSTANTIATE_TEST_SUITE_P(PistolPrecision, EventFaceScoreTest,
                         ::testing::Values(FacePoint{"SBP50", 0, 0, 10.9F}, FacePoint{"SBP50", 10, 0, 10.6F},
                                           FacePoint{"SBP50", 0, 40, 9.5F}, FacePoint{"SBP50", 60, 80, 7.1F},
                                           FacePoint{"SBP50", 250, 0, 1.1F}, FacePoint{"SBP50", 253, 0, 0.0F},
                                           FacePoint{"SBP50", 270, 0, 0.0F}, FacePoint{"SBP50", 0, 260.5F, 0.0F},
                                           FacePoint{"SP1", 10, 0, 10.6F}, FacePoint{"N4TL15", 10, 0, 10.6F},
                                           FacePoint{"N4TL3", 0, 254, 1.0F}, FacePoint{"SP1", 0, 254, 0.0F}));

INSTANTIATE_TEST_SUITE_P(RapidFire, EventFaceScoreTest,
                         ::testing::Values(FacePoint{"SP2", 0, 0, 10.9F}, FacePoint{"SP2", 20, 0, 10.6F},
                                           FacePoint{"SPF", 0, 60, 9.8F}, FacePoint{"MRF-22-10", 250, 0, 5.0F},
                                           FacePoint{"MRF-22-8", 253, 0, 0.0F}, FacePoint{"MRF-32-8", 253, 0, 5.0F},
                                           FacePoint{"MRF-22-6", 0, 255, 0.0F}, FacePoint{"MRF-32-6", 0, 255, 0.0F},
                                           FacePoint{"MRF-32-10", 270, 0, 0.0F}));

INSTANTIATE_TEST_SUITE_P(Rifle300, EventFaceScoreTest,
                         ::testing::Values(FacePoint{"R300", 0, 0, 10.9F}, FacePoint{"R300", 27, 0, 10.5F},
                                           FacePoint{"R300", 54, 0, 10.0F}, FacePoint{"R300", 0, 79, 9.5F},
                                           FacePoint{"R300", 504, 0, 1.0F}, FacePoint{"R300", 505, 0, 0.0F},
                                           FacePoint{"R300", 600, 0, 0.0F}, FacePoint{"R300", 650.5F, 0, 0.0F}));

INSTANTIATE_TEST_SUITE_P(RunningTarget, EventFaceScoreTest,
                         ::testing::Values(FacePoint{"RT10", 0, 0, 10.9F}, FacePoint{"RT10", 2.5F, 0, 10.5F},
                                           FacePoint{"RT10", 5, 0, 10.0F}, FacePoint{"RT10", 0, 6.25F, 9.5F},
                                           FacePoint{"RT10", 27.5F, 0, 1.0F}, FacePoint{"RT10", 27.6F, 0, 0.0F}));

INSTANTIATE_TEST_SUITE_P(Biathlon, EventFaceScoreTest,
                         ::testing::Values(FacePoint{"BTLN", 0, 0, 10.0F}, FacePoint{"BTLN", -330, 57, 10.0F},
                                           FacePoint{"BTLN", -330, 58, 0.0F}, FacePoint{"BTLN", 82, 0, 0.0F},
                                           FacePoint{"BTLN", 165, 22, 10.0F, true, 2},
                                           FacePoint{"BTLN", 165, 30, 0.0F, true, 2},
                                           FacePoint{"BTLN", 330, 0, 10.0F, true, 2},
                                           FacePoint{"BTLN", 500, 0, 0.0F, true, 2}));

TEST_F(EventFacesTest, BiathlonTargetsAreScoringAreas)
{
    auto biathlon = event("BTLN");
    ASSERT_TRUE(biathlon);
    LONG faces = 0;
    ASSERT_HR(S_OK, biathlon->get_TargetCount(&faces));
    EXPECT_EQ(2, faces);
    struct Case {
        LONG subTarget;
        float x;
        float y;
        LONG area;
        float cx;
    };
    for (const Case& c :
         {Case{2, 165, 22, 4, 165}, Case{2, -330, 0, 1, -330}, Case{2, 165, 30, 0, 0}, Case{1, 0, 57, 3, 0}}) {
        SCOPED_TRACE(testing::PrintToString(c.subTarget) + " " + testing::PrintToString(c.x));
        LONG area = -7;
        float cx = -1;
        float cy = -1;
        ASSERT_HR(S_OK, biathlon->GetPointArea(c.x, c.y, c.subTarget, &area, &cx, &cy));
        EXPECT_EQ(c.area, area);
        EXPECT_EQ(c.cx, cx);
    }
    LONG area = 0;
    float cx = 0;
    float cy = 0;
    ASSERT_HR(S_OK, biathlon->GetNearestArea(100, 0, 1, &area, &cx, &cy));
    EXPECT_EQ(4, area);
    EXPECT_EQ(165.0F, cx);
}

} // namespace
} // namespace talvodata
