#include "talvodesk/core/report/ReportPrintout.h"

#include "talvodesk/core/document/TalvoData.h"
#include "talvodesk/core/options/AppModule.h"
#include "talvodesk/core/options/Options.h"
#include "talvodesk/core/testing/PracticeFiles.h"
#include "talvodesk/core/testing/ReportBuilderFixture.h"

#include "platform/fs/tests/support/TemporaryFolder.h"
#include "platform/gfx/PictureObject.h"
#include "talvodata/ShotCollection.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace talvodesk;
using platform::com::ComPtr;
using talvodesk::testsupport::kA4;

namespace {

/// What the report asked a picture to show.
struct Asked {
    LONG subTarget;
    std::size_t aimings;
    platform::gfx::Size size;
    bool trace;
    bool match;
};

/// Records each picture asked for; the one numbered `failing` (from 1) cannot be made.
class RecordingPictures final : public TargetPictures {
public:
    ComPtr<IPicture> Draw(const TargetPicture& picture) override
    {
        asked.push_back({picture.subTarget, picture.aimings.size(), picture.size, picture.trace, picture.match});
        if (asked.size() == failing) {
            return {};
        }
        return platform::gfx::PictureObject::create();
    }

    std::vector<Asked> asked;
    std::size_t failing = 0;
};

/// A practice open in the document, its report made without the views on the fixture's printer.
class ReportPrintoutTest : public ::testing::Test {
protected:
    /// Opens `match` shots of `event`, the n-th shot on sub-target `subTargets[n % size]`.
    void open(int match, const char* event, const std::vector<LONG>& subTargets)
    {
        const auto path = folder / ("practice" + std::to_string(++m_opened) + ".talvo");
        (void)testsupport::writeTimedPractice(path, match, 0, event);
        ASSERT_TRUE(data.Open(platform::com::Bstr(path.string()).get()));
        ComPtr<IShotCollection> shots;
        ASSERT_TRUE(data.GetMatchShots(shots));
        for (LONG index = 1; index <= match; ++index) {
            ComPtr<IShot> shot;
            ComPtr<IAiming> aiming;
            ComPtr<IAimingAttr> attributes;
            ASSERT_EQ(S_OK, shots->get_Item(index, shot.put()));
            ASSERT_TRUE(data.FindAiming(shot.get(), aiming));
            ASSERT_EQ(S_OK, aiming->get_Attr(attributes.put()));
            ASSERT_EQ(S_OK,
                      attributes->put_SubTarget(subTargets[static_cast<std::size_t>(index - 1) % subTargets.size()]));
        }
    }

    ReportRequest request() { return {data, options, module, pictures, newShots, nullptr, printer, &measure, kA4, {}}; }

    int m_opened = 0;
    platform::fs::testing::TemporaryFolder folder;
    CTalvoAppModule module;
    COptions options;
    CTalvoData data;
    RecordingPictures pictures;
    ShotCollectionFactory newShots = [](ComPtr<IEventParams> event) -> ComPtr<IShotCollection> {
        auto shots = talvodata::CShotCollection::create();
        shots->setEvent(std::move(event));
        return shots;
    };
    platform::gfx::testing::FixedMeasure measure;
    platform::gfx::PictureRecorder printer{{600, 600}, &measure};
    ReportFonts fonts;
    Printout printout;
};

TEST_F(ReportPrintoutTest, ABiathlonTargetHasAPictureForEachFaceWithUnknownSubTargetsOnTheFirst)
{
    // Sub-targets 1, 2, 0 (unknown) and 2 again: six shots on the first face, four on the second.
    open(10, "BTLN", {1, 2, 0, 2, 1});
    ASSERT_TRUE(BuildReportPrintout(request(), fonts, printout));
    ASSERT_EQ(2u, pictures.asked.size());
    // 300 points at 600 dots per inch, as high as the face's form is to its width.
    for (const LONG subTarget : {1, 2}) {
        const Asked& asked = pictures.asked[static_cast<std::size_t>(subTarget - 1)];
        EXPECT_EQ(subTarget, asked.subTarget);
        EXPECT_EQ(2500, asked.size.cx);
        EXPECT_FALSE(asked.trace);
        EXPECT_TRUE(asked.match);
    }
    EXPECT_EQ(6u, pictures.asked[0].aimings);
    EXPECT_EQ(4u, pictures.asked[1].aimings);
    EXPECT_FALSE(printout.empty());
}

TEST_F(ReportPrintoutTest, APictureOrCollectionThatCannotBeMadeLeavesNoPages)
{
    struct Case {
        const char* name;
        std::size_t failingPicture;
        bool collections;
    };
    for (const Case& c : {Case{"second face", 2, true}, Case{"no collections", 0, false}}) {
        SCOPED_TRACE(c.name);
        open(4, "BTLN", {1, 2});
        pictures.asked.clear();
        pictures.failing = c.failingPicture;
        if (!c.collections) {
            newShots = [](ComPtr<IEventParams>) { return ComPtr<IShotCollection>(); };
        }
        printout.clear();
        EXPECT_FALSE(BuildReportPrintout(request(), fonts, printout));
        EXPECT_TRUE(printout.empty());
    }
}

TEST_F(ReportPrintoutTest, AShotsPageShowsItsAimingWithTheTraceOnASquare)
{
    open(3, "AR10", {1});
    ComPtr<IShotCollection> shots;
    ComPtr<IShot> shot;
    ASSERT_TRUE(data.GetMatchShots(shots));
    ASSERT_EQ(S_OK, shots->get_Item(2, shot.put()));
    ASSERT_TRUE(BuildShotPrintout(request(), *shot, fonts, printout));
    ASSERT_EQ(1u, pictures.asked.size());
    const Asked& asked = pictures.asked[0];
    EXPECT_EQ(1u, asked.aimings);
    EXPECT_EQ(1, asked.subTarget);
    EXPECT_TRUE(asked.trace);
    EXPECT_TRUE(asked.match);
    EXPECT_EQ(asked.size.cx, asked.size.cy);
    EXPECT_EQ(1u, printout.size());
}

} // namespace
