#include "talvodesk/core/analysis/SeriesViewLogic.h"
#include "talvodesk/core/analysis/SeriesStatistics.h"
#include "talvodesk/core/document/TalvoData.h"
#include "talvodesk/core/options/Options.h"
#include "talvodesk/core/options/StringTable.h"
#include "talvodesk/core/testing/RecordingView.h"
#include "talvodesk/core/testing/SeriesPractice.h"

#include "talvoboard/tests/support/Targets.h"

#include "interfaces/talvodata/IEventParams.h"
#include "platform/com/Bstr.h"
#include "platform/gfx/DrawContextQt.h"
#include "platform/time/ManualClock.h"

#include <gtest/gtest.h>

#include <QImage>

#include <algorithm>
#include <array>
#include <string>
#include <vector>

namespace talvodesk {
namespace {

using platform::com::Bstr;
using platform::com::ComPtr;
using testsupport::SeriesShot;
using namespace std::chrono_literals;

class FakeSerieWindow final : public SerieWindow {
public:
    FakeSerieWindow() : m_target(talvoboard::testsupport::makeTarget()) {}
    ITarget* target() const override { return m_target.get(); }
    void setGeometry(const platform::gfx::Rect& rect) override { geometry = rect; }
    void setVisible(bool show) override { visible = show; }

    platform::gfx::Rect geometry;
    bool visible = false;

private:
    ComPtr<ITarget> m_target;
};

class FakeHost final : public SeriesViewHost {
public:
    std::unique_ptr<SerieWindow> createSerieWindow() override
    {
        ++windows;
        return std::make_unique<FakeSerieWindow>();
    }
    platform::gfx::Size clientSize() override { return size; }
    bool shown() override { return onScreen; }
    platform::gfx::DrawContext& measureContext() override { return context; }
    void setScrollBars(const SeriesScrollBars& set) override
    {
        bars = set;
        ++barSettings;
    }
    void repaint(const platform::gfx::Rect* /*client*/) override { ++repaints; }
    bool devicePresent() override { return device; }
    bool matchMode() override { return match; }
    void timersChanged(std::optional<std::chrono::milliseconds> next) override { deadline = next; }
    void showShotMenu() override { ++menus; }
    void setRowCursor(bool onRow) override { rowCursor = onRow; }

    QImage image{1, 1, QImage::Format_RGB32};
    platform::gfx::DrawContextQt context{image};
    platform::gfx::Size size{300, 700};
    SeriesScrollBars bars;
    int windows = 0;
    int barSettings = 0;
    int repaints = 0;
    int menus = 0;
    bool device = false;
    bool match = false;
    bool rowCursor = false;
    bool onScreen = true;
    std::optional<std::chrono::milliseconds> deadline;
};

std::string narrow(const std::u16string& text)
{
    return {text.begin(), text.end()};
}

/// What a serie block's target shows, a line: its aimings, caption, marks, zoom, colours and selection.
std::string shownBy(const CSerie& serie)
{
    if (!serie.window || !serie.window->target()) {
        return "no window";
    }
    ITarget& target = *serie.window->target();
    LONG aimings = 0;
    LONG elements = 0;
    Bstr label;
    float zoom = 0;
    std::array<float, 4> visible{};
    VARIANT_BOOL traces = VARIANT_FALSE;
    VARIANT_BOOL match = VARIANT_FALSE;
    OLE_COLOR breach = 0;
    ComPtr<IShot> selected;
    const bool read = SUCCEEDED(target.get_Count(&aimings)) && SUCCEEDED(target.get_ElementCount(&elements)) &&
                      SUCCEEDED(target.get_Label(1, label.put())) && SUCCEEDED(target.get_Zoom(&zoom)) &&
                      SUCCEEDED(target.get_VisibleLeft(&visible[0])) && SUCCEEDED(target.get_VisibleTop(&visible[1])) &&
                      SUCCEEDED(target.get_VisibleWidth(&visible[2])) &&
                      SUCCEEDED(target.get_VisibleHeight(&visible[3])) && SUCCEEDED(target.get_DisplayTrace(&traces)) &&
                      SUCCEEDED(target.get_Match(&match)) && SUCCEEDED(target.get_BreachColor(&breach)) &&
                      SUCCEEDED(target.get_SelectedShot(selected.put()));
    std::string line = read ? "" : "unreadable ";
    line += std::to_string(aimings) + " aimings, " + std::to_string(elements) + " marks, " +
            narrow(std::u16string(label.view())) + ", zoom " + std::to_string(zoom);
    for (const float side : visible) {
        line += " " + std::to_string(side);
    }
    return line + (traces == VARIANT_TRUE ? ", traces" : "") + (match == VARIANT_TRUE ? ", match" : "") + ", breach " +
           std::to_string(breach) + (selected ? ", selected" : "");
}

/// The texts of a row's cells, "|"-joined.
std::string texts(const CStatisticsRow& row)
{
    std::string joined;
    for (const CTextCell& cell : row.cells) {
        joined += (joined.empty() ? "" : "|") + narrow(cell.text);
    }
    return joined;
}

/// Every number, total and title of both groups, a line each.
std::vector<std::string> everything(const SeriesViewLogic& logic)
{
    std::vector<std::string> lines;
    for (int g = 0; g < 2; ++g) {
        const CGroup& group = logic.group(g);
        lines.push_back(narrow(group.title.text));
        for (const auto& serie : group.series) {
            for (const CStatisticsRow& row : serie->rows) {
                lines.push_back(row.shot ? texts(row) : "-");
            }
            lines.push_back(texts(serie->total));
        }
        lines.push_back(texts(group.total));
    }
    return lines;
}

class SeriesViewLogicTest : public testing::Test {
protected:
    SeriesViewLogicTest() : clock(46000.5), logic({host, options, clock, english, 1})
    {
        options.advancedMode = 1;
        // Every column shown.
        options.shotListSteadiness6 = options.shotListSteadiness9 = options.shotListSteadiness10p5center = 1;
        options.shotListSteadiness10p5 = 1;
        logic.UpdateColumnVisibility();
    }

    void start(const char* event)
    {
        ASSERT_TRUE(data.NewPractice(talvodata::testsupport::shippedEvent(event).get(), Bstr(u"Ann").get(), -1,
                                     Bstr(u"").get(), 0));
        data.AddView(&logic);
        data.UpdateAllViews(nullptr, HintReset);
    }
    void add(const char* event, const SeriesShot& spec, int index)
    {
        const ComPtr<IAiming> aiming = testsupport::seriesAiming(event, spec, 46000.25 + index / 1440.0);
        for (LONG i = 1; i <= spec.shots; ++i) {
            ComPtr<IShot> shot;
            ASSERT_EQ(S_OK, aiming->get_Shot(i, shot.put()));
            ASSERT_TRUE(data.AddShot(shot.get(), aiming.get()));
        }
    }

    /// An AR10 practice of `count` plain aimings of one shot each.
    void startWithShots(int count)
    {
        start("AR10");
        for (int i = 0; i < count; ++i) {
            add("AR10", SeriesShot{}, i);
        }
    }

    static std::u16string english(std::uint32_t id) { return std::u16string(StringTable::englishText(id)); }

    FakeHost host;
    COptions options;
    platform::time::ManualClock clock;
    CTalvoData data;
    SeriesViewLogic logic;
};

TEST_F(SeriesViewLogicTest, RowsAndTotalsOfSightingMatchMissedAndHiddenShots)
{
    start("AR10");
    SeriesShot shot;
    shot.match = false;
    add("AR10", shot, 0); // sighting, still at the centre
    shot.match = true;
    add("AR10", shot, 1); // still at the centre
    shot.x = 300;
    shot.seconds = 5;
    add("AR10", shot, 2); // still 3 mm right: 0.5 mm outside the 10 ring's 2.5 mm
    shot.x = 0;
    shot.stepX = 10;
    add("AR10", shot, 3); // 0.1 mm a sample to the right: off the face at 30 mm
    shot.stepX = 0;
    shot.missed = true;
    add("AR10", shot, 4);
    shot.missed = false;
    shot.x = -300;
    add("AR10", shot, 5);
    ComPtr<IShotCollection> match;
    ComPtr<IShot> last;
    ASSERT_TRUE(data.GetMatchShots(match));
    ASSERT_EQ(S_OK, match->get_Item(5, last.put()));
    ASSERT_TRUE(data.SetShotHidden(last.get(), true));

    // The moving trace: 200 samples of 0.1 mm in the last second (20 mm/s, as in its last 250 ms), its average
    // point at 20 mm, 10 mm short of the breach; 9a0 holds 15..25 mm (50 %), 10a0 17.5..22.5 mm (25 %), 10a5
    // 18.75..21.25 mm (12.5 %). Totals: 10 + 9 + 0 = 19, 10.9 + 9.8 + 0.0 = 20.7, times (4 + 5 + 5) / 3.
    const std::vector<std::string> expected{
        "Sighting, 1 shot(s)",
        "1|10.9|4.0|100%|100%|100%|100%|100%|100%|0.0|0.0|0.0",
        "-",
        "-",
        "-",
        "-",
        "-",
        "-",
        "-",
        "-",
        "-",
        "10|10.9|4.0|100%|100%|100%|100%|100%|100%|0.0|0.0|0.0",
        "10|10.9|4.0|100%|100%|100%|100%|100%|100%|0.0|0.0|0.0",
        "Match, 3 shot(s)",
        "1|10.9|4.0|100%|100%|100%|100%|100%|100%|0.0|0.0|0.0",
        "2|9.8|5.0|100%|100%|0%|0%|100%|100%|0.0|0.0|0.0",
        "3|0.0|5.0|100%|50%|0%|0%|25%|12%|20.0|20.0|10.0",
        "4|Missed|-|-|-|-|-|-|-|-|-|-",
        "-",
        "-",
        "-",
        "-",
        "-",
        "-",
        "19|20.7|4.7|100%|83%|33%|33%|75%|70%|6.7|6.7|3.3",
        "19|20.7|4.7|100%|83%|33%|33%|75%|70%|6.7|6.7|3.3",
    };
    EXPECT_EQ(expected, everything(logic));
    const CSerie& sighting = *logic.group(0).series.front();
    EXPECT_TRUE(sighting.rows[0].cells[ColumnResult].grey);
    EXPECT_TRUE(sighting.rows[0].cells[ColumnSteadiness10Centre].red);
    const CSerie& serie = *logic.group(1).series.front();
    EXPECT_FALSE(serie.rows[1].cells[ColumnResult].grey);
    EXPECT_FALSE(serie.rows[1].cells[ColumnSteadiness10Centre].red);
    EXPECT_TRUE(serie.rows[1].cells[ColumnSteadiness10].red);
    Bstr label;
    ASSERT_EQ(S_OK, serie.window->target()->get_Label(1, label.put()));
    EXPECT_EQ(u"#1 20.7 (19)", label.view());

    // The hidden shot counts again once hidden shots are shown.
    ASSERT_TRUE(data.SetIncludeHidden(true));
    EXPECT_EQ("5|9.8|5.0|100%|100%|0%|0%|100%|100%|0.0|0.0|0.0", texts(logic.group(1).series.front()->rows[4]));
    EXPECT_EQ("28|30.5|4.8|100%|87%|25%|25%|81%|78%|5.0|5.0|2.5", texts(logic.group(1).series.front()->total));
    EXPECT_EQ(u"Match, 4 shot(s)", logic.group(1).title.text);
}

TEST_F(SeriesViewLogicTest, ASerieGetsTheCrossOfItsHitsAndNoneWithoutOne)
{
    start("AR10");
    SeriesShot shot;
    shot.missed = true;
    for (int i = 0; i < 10; ++i) {
        add("AR10", shot, i); // a serie of missed shots
    }
    shot.missed = false;
    add("AR10", shot, 10); // the next serie's one hit
    ASSERT_EQ(2U, logic.group(1).series.size());
    for (const auto& [serie, lines] : {std::pair{0, 0}, std::pair{1, 2}}) {
        SCOPED_TRACE(serie);
        LONG elements = -1;
        ASSERT_EQ(S_OK, logic.group(1).series[serie]->window->target()->get_ElementCount(&elements));
        EXPECT_EQ(lines, elements);
    }
}

TEST_F(SeriesViewLogicTest, BiathlonSeriesAreAimingsTimedShotToShotAndTotalledWithoutAveragingTheTime)
{
    start("BTLN");
    SeriesShot prone;
    prone.subTarget = 2;
    prone.shots = 3;
    prone.seconds = 2.5;
    add("BTLN", prone, 0);
    SeriesShot standing;
    standing.shots = 1;
    add("BTLN", standing, 1); // A new aiming starts a new block although the first has free rows.

    ASSERT_EQ(2U, logic.group(1).series.size());
    const CSerie& first = *logic.group(1).series.front();
    for (int i = 0; i < 3; ++i) {
        // Each shot is timed from the one before; the result is the plate picture.
        EXPECT_EQ(std::u16string(1, static_cast<char16_t>(u'1' + i)), first.rows[i].cells[ColumnIndex].text);
        EXPECT_EQ(u"2.5", first.rows[i].cells[ColumnTime].text);
        ASSERT_TRUE(first.rows[i].cells[ColumnResult].icon);
        EXPECT_FALSE(first.rows[i].cells[ColumnResult].icon->isEmpty());
    }
    EXPECT_FALSE(first.rows[3].shot);
    EXPECT_EQ(u"", first.total.cells[ColumnIndex].text);
    EXPECT_EQ(u"7.5", first.total.cells[ColumnTime].text);
    EXPECT_EQ(u"1", logic.group(1).series.back()->rows[0].cells[ColumnIndex].text);
    for (int column = ColumnSteadiness6; column <= ColumnSteadiness10p5; ++column) {
        EXPECT_FALSE(ShotListColumnTable().shown(column)) << column;
    }

    // The full rebuild forms the same blocks, and a biathlon practice always shows the shot list.
    logic.SetShotListMode(false);
    const std::vector<std::string> appended = everything(logic);
    data.UpdateAllViews(nullptr, HintReset);
    EXPECT_TRUE(logic.shotListMode());
    EXPECT_EQ(appended, everything(logic));
}

TEST_F(SeriesViewLogicTest, AppendingAndRebuildingGiveTheSameRowsAfterEveryShot)
{
    // Five shots a serie: appended and rebuilt blocks are both numbered 1-5, 6-10, ...
    start("SP1");
    CTalvoData& document = data;
    SeriesViewLogic rebuilt({host, options, clock, english, 1});
    document.AddView(&rebuilt);
    const std::vector<SeriesShot> shots = testsupport::sixtyShots();
    for (std::size_t i = 0; i < shots.size(); ++i) {
        SCOPED_TRACE(i);
        if (shots[i].missed) {
            ComPtr<IShot> missed;
            ASSERT_TRUE(document.AddMissedShot(shots[i].match, missed));
        } else {
            SeriesShot shown = shots[i];
            shown.hidden = false;
            add("SP1", shown, static_cast<int>(i));
        }
        rebuilt.Rebuild();
        ASSERT_EQ(everything(rebuilt), everything(logic));
    }
    ASSERT_EQ(11U, logic.group(1).series.size());
    EXPECT_EQ(u"6", logic.group(1).series[1]->rows[0].cells[ColumnIndex].text);
    EXPECT_EQ(u"Match, 53 shot(s)", logic.group(1).title.text);
    document.RemoveView(&rebuilt);
}

TEST_F(SeriesViewLogicTest, KeyboardSelectionReachesTheOtherViewsOnlyAfterTheKeysRest)
{
    startWithShots(12);
    testsupport::RecordingView other;
    data.AddView(&other);
    ComPtr<IShotCollection> shots;
    ASSERT_TRUE(data.GetShots(shots));
    const auto shotAt = [&](LONG position) {
        ComPtr<IShot> shot;
        EXPECT_EQ(S_OK, shots->get_Item(position, shot.put()));
        return shot;
    };
    ASSERT_TRUE(data.SetCurrentShot(shotAt(1).get()));
    other.received.clear();
    ComPtr<IShot> current;

    EXPECT_TRUE(logic.TranslateNavigationKey(0x28)); // Down
    EXPECT_EQ(shotAt(2).get(), logic.currentShot());
    clock.advance(499ms);
    logic.OnTimers();
    EXPECT_TRUE(logic.TranslateNavigationKey(0x22)); // Page Down: the serie's end, and the wait starts again
    EXPECT_EQ(shotAt(10).get(), logic.currentShot());
    clock.advance(499ms);
    logic.OnTimers();
    ASSERT_TRUE(data.GetCurrentShot(current));
    EXPECT_EQ(shotAt(1).get(), current.get());
    EXPECT_TRUE(other.received.empty());

    clock.advance(1ms); // A keyboard delay of 1: half a second.
    logic.OnTimers();
    ASSERT_TRUE(data.GetCurrentShot(current));
    EXPECT_EQ(shotAt(10).get(), current.get());
    ASSERT_EQ(1U, other.received.size());
    EXPECT_EQ(HintCurrentShot, other.received[0].hint);
    EXPECT_EQ(&logic, other.received[0].sender);
    EXPECT_FALSE(host.deadline);

    EXPECT_TRUE(logic.TranslateNavigationKey(0x24)); // Home
    EXPECT_EQ(shotAt(1).get(), logic.currentShot());
    EXPECT_FALSE(logic.TranslateNavigationKey(0x26)); // Up from the first: nowhere to go
    EXPECT_FALSE(logic.TranslateNavigationKey('X'));
    data.RemoveView(&other);
}

TEST_F(SeriesViewLogicTest, ShotListLaysOutBesideOrAboveAndSeriesModeFillsThePane)
{
    startWithShots(21);
    host.size = {600, 700};
    logic.OnSize();
    const LONG line = logic.lineHeight();
    const CSerie& serie = *logic.group(1).series.front();
    // Narrow: the target is centred above the table, whose columns share the pane's width.
    EXPECT_EQ(10 * line + 21, serie.targetRect.height());
    EXPECT_EQ((600 - serie.targetRect.width()) / 2, serie.targetRect.left);
    EXPECT_EQ(0, serie.header.rect.left);
    EXPECT_EQ(600, serie.header.rect.right);
    EXPECT_EQ(serie.targetRect.bottom + 3, serie.header.rect.top);
    EXPECT_EQ(serie.rows[0].rect.bottom + 3, serie.rows[1].rect.top);
    EXPECT_EQ(line, serie.rows[1].rect.height());

    host.size = {1200, 700};
    logic.OnSize();
    EXPECT_EQ(11 * line + 30, serie.targetRect.height());
    EXPECT_EQ(serie.targetRect.right, serie.header.rect.left);
    EXPECT_EQ(serie.targetRect.top, serie.header.rect.top);

    // Three series in a wide, low pane: one row.
    host.size = {900, 200};
    logic.SetShotListMode(false);
    EXPECT_FALSE(host.bars.verticalShown);
    const auto& series = logic.group(1).series;
    EXPECT_EQ((platform::gfx::Rect{0, 0, 296, 200}), series[0]->targetRect);
    EXPECT_EQ((platform::gfx::Rect{602, 0, 898, 200}), series[2]->targetRect);
    EXPECT_FALSE(logic.RowAt({10, 10}));
}

TEST_F(SeriesViewLogicTest, TheMouseHitsRowsGrownTwoPixelsAndTheWheelAndBarsScrollTheWholeList)
{
    start("AR10");
    // Straight into the practice, then one rebuild: appending each would lay out the whole list every time.
    ComPtr<IAimingCollection> aimings;
    ASSERT_EQ(S_OK, data.document()->get_Aimings(aimings.put()));
    for (int i = 0; i < 2200; ++i) {
        ASSERT_EQ(S_OK, aimings->Add(testsupport::seriesAiming("AR10", SeriesShot{}, 46000.25 + i / 1440.0).get()));
    }
    data.ReleaseCollections();
    data.UpdateAllViews(nullptr, HintReset);
    // Over 65535 pixels of list: a bar position past 16 bits lands where it was asked.
    ASSERT_GT(host.bars.verticalMaximum, 70000);
    logic.OnScrollTo(true, 70000);
    EXPECT_EQ(70000, host.bars.verticalPosition);
    logic.OnMouseWheel(-120, 3);
    EXPECT_EQ(70060, host.bars.verticalPosition);

    const CStatisticsRow* row = nullptr;
    for (const auto& serie : logic.group(1).series) {
        if (serie->rows[4].rect.top > 70100) {
            row = &serie->rows[4];
            break;
        }
    }
    ASSERT_NE(row, nullptr);
    const platform::gfx::Rect client = logic.ToClient(row->rect);
    EXPECT_EQ(row, logic.RowAt({client.left + 1, client.top - 1}));
    EXPECT_EQ(row, logic.RowAt({client.left + 1, client.bottom + 1}));
    EXPECT_NE(row, logic.RowAt({client.left + 1, client.bottom + 2}));
    logic.OnMouse(SeriesViewLogic::Mouse::RightDown, {client.left + 1, client.top});
    ComPtr<IShot> current;
    ASSERT_TRUE(data.GetCurrentShot(current));
    EXPECT_EQ(row->shot.get(), current.get());
    EXPECT_TRUE(row->selected);
    EXPECT_EQ(1, host.menus);
    EXPECT_TRUE(host.rowCursor);

    // A double click replays; a shot selected far above brings its serie back into view.
    testsupport::RecordingView other;
    data.AddView(&other);
    const platform::gfx::Rect now = logic.ToClient(row->rect); // Selecting may have scrolled the row.
    logic.OnMouse(SeriesViewLogic::Mouse::DoubleClick, {now.left + 1, now.top});
    const std::vector<int> hints = other.hints();
    EXPECT_NE(std::find(hints.begin(), hints.end(), HintReplayStart), hints.end());
    data.RemoveView(&other);
    const CSerie& early = *logic.group(1).series[3];
    ASSERT_TRUE(data.SetCurrentShot(early.rows[0].shot.get()));
    EXPECT_EQ(early.rect.top, host.bars.verticalPosition);
    logic.OnMouse(SeriesViewLogic::Mouse::Move, {0, 0});
    EXPECT_FALSE(host.rowCursor);
}

TEST_F(SeriesViewLogicTest, ABlockOutOfViewGetsItsWindowWhenFirstShownShowingWhatAWindowMadeAtOnceShows)
{
    FakeHost tall;
    tall.size = {300, 20000};
    SeriesViewLogic everyWindow({tall, options, clock, english, 1});
    start("AR10");
    data.AddView(&everyWindow);
    for (int i = 0; i < 60; ++i) {
        SeriesShot shot;
        shot.x = 50 * (i % 7);
        add("AR10", shot, i);
    }
    const auto& series = logic.group(1).series;
    ASSERT_EQ(6U, series.size());
    EXPECT_EQ(6, tall.windows);
    EXPECT_LT(host.windows, 3);
    EXPECT_EQ("no window", shownBy(*series.back()));

    // What the frame changes on every block reaches the windows made after.
    for (SeriesViewLogic* view : {&logic, &everyWindow}) {
        view->SetDisplayTraces(true);
        ASSERT_TRUE(view->SetTargetsZoom(3));
    }
    options.breachColor = 0x00FF00;
    logic.ApplyBreachColors();
    everyWindow.ApplyBreachColors();
    // Selecting the last shot scrolls its block into view.
    ASSERT_TRUE(data.SetCurrentShot(series.back()->rows[9].shot.get()));
    ASSERT_TRUE(series.back()->window);
    const auto& made = static_cast<const FakeSerieWindow&>(*series.back()->window);
    EXPECT_TRUE(made.visible);
    EXPECT_EQ(logic.ToClient(series.back()->targetRect), made.geometry);
    EXPECT_EQ(shownBy(*everyWindow.group(1).series.back()), shownBy(*series.back()));
    EXPECT_EQ(shownBy(*everyWindow.group(1).series.front()), shownBy(*series.front()));
    data.RemoveView(&everyWindow);
}

TEST_F(SeriesViewLogicTest, APaneIsLaidOutOnlyOnceItShowsWithAnAreaAtTheSizeItHasThen)
{
    struct Case {
        const char* name;
        bool onScreen;
        platform::gfx::Size before;
    };
    const Case cases[] = {
        {"hidden", false, {600, 700}},
        {"no width yet", true, {0, 700}},
        {"no height yet", true, {600, 0}},
    };
    startWithShots(12);
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        FakeHost pane;
        pane.onScreen = test.onScreen;
        pane.size = test.before;
        SeriesViewLogic view({pane, options, clock, english, 1});
        data.AddView(&view);
        view.OnUpdate(nullptr, HintReset, {});
        view.OnSize();
        EXPECT_EQ(0, pane.barSettings);
        EXPECT_EQ(0, pane.windows);

        pane.onScreen = true;
        pane.size = {600, 700};
        if (test.onScreen) {
            view.OnSize();
        } else {
            view.OnShow();
        }
        const CSerie& serie = *view.group(1).series.front();
        EXPECT_EQ(600, serie.header.rect.right);
        EXPECT_EQ(2, pane.windows);
        EXPECT_EQ(1, pane.barSettings);
        view.OnShow(); // Nothing was missed.
        EXPECT_EQ(1, pane.barSettings);
        data.RemoveView(&view);
    }
}

/// Where a view placed its rows and the blocks' windows in view, and its bars, a line.
std::string placed(const SeriesViewLogic& view, const SeriesScrollBars& bars, platform::gfx::Size client)
{
    const auto rect = [](const platform::gfx::Rect& r) {
        return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
               std::to_string(r.bottom) + " ";
    };
    std::string line = "bars " + std::to_string(bars.verticalMaximum) + " " + std::to_string(bars.verticalPage) + " " +
                       std::to_string(bars.horizontalMaximum) + " " + std::to_string(bars.horizontalPage) + ": ";
    const platform::gfx::Rect shown{0, 0, client.cx, client.cy};
    for (const auto& serie : view.group(1).series) {
        line += rect(serie->header.rect) + rect(serie->rows.back().rect) + rect(serie->total.rect);
        const platform::gfx::Rect target = view.ToClient(serie->targetRect);
        if (shown.intersects(target)) {
            line += serie->window ? rect(static_cast<const FakeSerieWindow&>(*serie->window).geometry) : "none ";
        }
    }
    return line;
}

TEST_F(SeriesViewLogicTest, AResizedShotListPlacesWhatOneLaidOutAtItsNewSizePlaces)
{
    struct Case {
        const char* name;
        platform::gfx::Size first;
        platform::gfx::Size resized;
    };
    const Case cases[] = {
        {"shorter", {600, 700}, {600, 300}},
        {"taller: more blocks in view", {600, 300}, {600, 1400}},
        {"narrower", {600, 700}, {400, 700}},
        {"wider and taller", {400, 300}, {700, 1000}},
    };
    startWithShots(60);
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        FakeHost resizedPane;
        resizedPane.size = test.first;
        SeriesViewLogic resized({resizedPane, options, clock, english, 1});
        FakeHost directPane;
        directPane.size = test.resized;
        SeriesViewLogic direct({directPane, options, clock, english, 1});
        for (SeriesViewLogic* view : {&resized, &direct}) {
            data.AddView(view);
            view->OnUpdate(nullptr, HintReset, {});
        }
        resizedPane.size = test.resized;
        resized.OnSize();
        EXPECT_EQ(placed(direct, directPane.bars, test.resized), placed(resized, resizedPane.bars, test.resized));
        for (SeriesViewLogic* view : {&resized, &direct}) {
            data.RemoveView(view);
        }
    }
}

TEST_F(SeriesViewLogicTest, EachSteadinessIsComputedOnlyWhileItsColumnIsShown)
{
    start("AR10");
    add("AR10", SeriesShot{}, 0); // Still at the centre: 100 % in every circle.
    const std::array<std::uint32_t*, 6> flags{
        &options.shotListSteadiness6,          &options.shotListSteadiness9,  &options.shotListSteadiness10center,
        &options.shotListSteadiness10p5center, &options.shotListSteadiness10, &options.shotListSteadiness10p5};
    for (std::size_t shown = 0; shown < flags.size(); ++shown) {
        SCOPED_TRACE(shown);
        for (std::size_t i = 0; i < flags.size(); ++i) {
            *flags[i] = i == shown ? 1 : 0;
        }
        // As the frame does after the options changed.
        logic.UpdateColumnVisibility();
        logic.Rebuild();
        const CStatisticsRow& row = logic.group(1).series.front()->rows[0];
        for (std::size_t slot = 0; slot < flags.size(); ++slot) {
            EXPECT_EQ(slot == shown ? 100.0F : 0.0F, row.values.steadiness[slot]) << slot;
        }
        EXPECT_EQ(u"100%", row.cells[ColumnSteadiness6 + shown].text);
    }
}

TEST_F(SeriesViewLogicTest, DuringASightingPracticeTheMatchGroupIsHidden)
{
    start("AR10");
    add("AR10", SeriesShot{}, 0);
    EXPECT_TRUE(logic.group(1).visible);
    host.device = true;
    data.UpdateAllViews(nullptr, HintShowSightings);
    EXPECT_FALSE(logic.group(1).visible);
    EXPECT_TRUE(logic.group(0).visible);
    host.match = true;
    data.UpdateAllViews(nullptr, HintShowSightings);
    EXPECT_TRUE(logic.group(1).visible);
}

} // namespace
} // namespace talvodesk
