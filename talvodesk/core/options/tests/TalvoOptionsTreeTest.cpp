#include "talvodesk/core/options/TalvoOptionsTree.h"

#include "talvodesk/core/options/Options.h"
#include "talvodesk/core/options/Settings.h"
#include "talvodesk/core/options/StringTable.h"

#include "platform/registry/Key.h"
#include "platform/registry/tests/support/RegistryFixture.h"
#include "platform/testing/Matchers.h"

#include <bit>
#include <cmath>
#include <map>

using namespace talvodesk;
using ItemId = TalvoOptionsTree::ItemId;

namespace {

std::string narrow(std::u16string_view text)
{
    return std::string(text.begin(), text.end());
}

std::u16string_view english(std::uint32_t id)
{
    const std::u16string* text = StringTable::english().find(id);
    return text != nullptr ? std::u16string_view(*text) : std::u16string_view();
}

/// The item whose shown text is `text`, searched below `parent`.
std::optional<ItemId> findItem(const OptionsTree& tree, const std::string& text, ItemId parent = OptionsTree::kRoot)
{
    for (const ItemId child : tree.children(parent)) {
        if (narrow(tree.text(child)) == text) {
            return child;
        }
        if (const auto found = findItem(tree, text, child)) {
            return found;
        }
    }
    return std::nullopt;
}

std::vector<std::string> childTexts(const OptionsTree& tree, ItemId parent)
{
    std::vector<std::string> texts;
    for (const ItemId child : tree.children(parent)) {
        texts.push_back(narrow(tree.text(child)));
    }
    return texts;
}

TEST(TalvoOptionsTreeTest, BuildsEveryGroupFromTheEnglishLabels)
{
    COptions options;
    TalvoOptionsTree talvo(options, english);
    const OptionsTree& tree = talvo.tree();

    EXPECT_EQ((std::vector<std::string>{"General", "Shot list", "Target", "Practice", "Print",
                                        "Sound generator for blind shooters (experimental)"}),
              childTexts(tree, OptionsTree::kRoot));
    const std::map<std::string, std::size_t> sizes = {{"General", 4},  {"Shot list", 12}, {"Target", 8},
                                                      {"Practice", 9}, {"Print", 8},      {"Additional intervals", 2}};
    for (const auto& [group, size] : sizes) {
        SCOPED_TRACE(group);
        EXPECT_EQ(size, tree.children(*findItem(tree, group)).size());
    }
    for (const std::string text :
         {"Pause between shots replay 1 seconds", "Trace replay speed 100 %", "Enable trace heading  0.100 seconds",
          " Begin: -0.200 sec, End: 0.000 sec", "Add...", "Ignore clicks 1.000 sec after shot (biathlon only)",
          "Store 5 seconds before shot", "Frequency while in 0 0 Hz", "Frequency while in 10 2000 Hz"}) {
        EXPECT_TRUE(findItem(tree, text)) << text;
    }
    const auto blind = findItem(tree, "Sound generator for blind shooters (experimental)");
    EXPECT_EQ(11U, tree.children(*blind).size());
    EXPECT_FALSE(tree.areValuesEditable(tree.children(*blind).front()));
    EXPECT_EQ(17, tree.image(*findItem(tree, "Additional intervals")));
    EXPECT_EQ(14, tree.image(*talvo.addItem()));
}

TEST(TalvoOptionsTreeTest, ATranslationMayMoveThePlaceholdersOrBreakOneLabel)
{
    COptions options;
    const auto translated = [](std::uint32_t id) -> std::u16string_view {
        if (id == 34136) {
            return u"Kopf %2!.2f! s, Farbe %1!r!";
        }
        if (id == 34101) {
            return u"Pause %1!d seconds";
        }
        return english(id);
    };
    TalvoOptionsTree talvo(options, translated);
    const auto heading = findItem(talvo.tree(), "Kopf 0.10 s, Farbe ");
    ASSERT_TRUE(heading);
    OptionsTree::storeText(*talvo.tree().fields(*heading).at(0), u"0.5");
    EXPECT_EQ(0.5F, options.traceHeadingLength);
    EXPECT_EQ(3U, talvo.tree().children(*findItem(talvo.tree(), "General")).size());
}

class TalvoOptionsTreeIntervals : public ::testing::Test {
protected:
    TalvoOptionsTreeIntervals()
    {
        options.additionalIntervals = {{0x0000FF, -1.0F, 0.0F}, {0x00FF00, -2.0F, 0.0F}, {0xFF0000, -3.0F, 0.0F}};
        talvo.emplace(options, english);
    }

    std::vector<ItemId> intervals() const
    {
        std::vector<ItemId> items = talvo->tree().children(*talvo->intervalsGroup());
        items.erase(std::remove(items.begin(), items.end(), talvo->addItem()), items.end());
        return items;
    }
    std::vector<float> begins() const
    {
        std::vector<float> result;
        for (const TraceInterval& interval : options.additionalIntervals) {
            result.push_back(interval.begin);
        }
        return result;
    }
    /// The begin each item edits, typed through its field.
    void typeBegins()
    {
        const auto items = intervals();
        for (std::size_t i = 0; i < items.size(); ++i) {
            OptionsTree::storeText(*talvo->tree().fields(items[i]).at(1), std::u16string(1, u'1' + i));
        }
    }

    COptions options;
    std::optional<TalvoOptionsTree> talvo;
};

TEST_F(TalvoOptionsTreeIntervals, AddAppendsANewIntervalThatGoesAgainWhenLeftEmpty)
{
    const auto added = talvo->select(talvo->addItem());
    ASSERT_TRUE(added);
    EXPECT_EQ(4U, options.additionalIntervals.size());
    EXPECT_EQ((TraceInterval{0xFFFFFF, 0.0F, 0.0F}), options.additionalIntervals.back());
    EXPECT_FALSE(talvo->addItem());
    EXPECT_EQ(14, talvo->tree().image(*added));
    EXPECT_FALSE(talvo->canDrag(*added));

    EXPECT_EQ(talvo->intervalsGroup(), talvo->select(talvo->intervalsGroup()));
    EXPECT_EQ(3U, options.additionalIntervals.size());
    EXPECT_FALSE(talvo->tree().contains(*added));
    EXPECT_EQ(talvo->addItem(), talvo->tree().children(*talvo->intervalsGroup()).back());

    const auto kept = talvo->select(talvo->addItem());
    const auto fields = talvo->tree().fields(*kept);
    OptionsTree::storeText(*fields.at(2), u"1");
    OptionsTree::storeText(*fields.at(1), u"0.5");
    talvo->select(std::nullopt);
    EXPECT_EQ((TraceInterval{0xFFFFFF, 0.5F, 1.0F}), options.additionalIntervals.back());
    EXPECT_EQ(15, talvo->tree().image(*kept));
    const auto& children = talvo->tree().children(*talvo->intervalsGroup());
    EXPECT_EQ((std::vector<ItemId>{*kept, *talvo->addItem()}),
              (std::vector<ItemId>(children.end() - 2, children.end())));
}

TEST_F(TalvoOptionsTreeIntervals, DeleteRemovesExactlyThatIntervalAndSelectsTheGroup)
{
    const auto items = intervals();
    talvo->select(items[1]);
    ASSERT_TRUE(talvo->deleteInterval(items[1]));
    EXPECT_EQ((std::vector<float>{-1.0F, -3.0F}), begins());
    EXPECT_EQ(talvo->intervalsGroup(), talvo->selected());
    typeBegins();
    EXPECT_EQ((std::vector<float>{1.0F, 2.0F}), begins());
    EXPECT_FALSE(talvo->deleteInterval(*talvo->addItem()));
    EXPECT_FALSE(talvo->deleteInterval(*talvo->intervalsGroup()));

    const auto added = talvo->select(talvo->addItem());
    ASSERT_TRUE(talvo->deleteInterval(*added));
    EXPECT_EQ(2U, options.additionalIntervals.size());
    EXPECT_EQ(talvo->addItem(), talvo->tree().children(*talvo->intervalsGroup()).back());
}

TEST_F(TalvoOptionsTreeIntervals, ADropMovesTheIntervalBeforeTheTarget)
{
    struct Case {
        std::size_t dragged;
        std::size_t target;
        std::vector<float> expected;
    };
    for (const Case& c : {Case{2, 0, {-3.0F, -1.0F, -2.0F}}, Case{0, 2, {-2.0F, -1.0F, -3.0F}},
                          Case{1, 0, {-2.0F, -1.0F, -3.0F}}, Case{1, 1, {-1.0F, -2.0F, -3.0F}}}) {
        SCOPED_TRACE(c.dragged * 10 + c.target);
        options.additionalIntervals = {{0x0000FF, -1.0F, 0.0F}, {0x00FF00, -2.0F, 0.0F}, {0xFF0000, -3.0F, 0.0F}};
        talvo.emplace(options, english);
        const auto items = intervals();
        EXPECT_EQ(c.dragged != c.target, talvo->moveInterval(items[c.dragged], items[c.target]));
        EXPECT_EQ(c.expected, begins());
        // Each item now edits the entry at its own place.
        const auto moved = intervals();
        for (std::size_t i = 0; i < moved.size(); ++i) {
            EXPECT_EQ(c.expected[i], std::stof(narrow(OptionsTree::valueText(*talvo->tree().fields(moved[i]).at(1)))));
        }
    }
    EXPECT_FALSE(talvo->canDrag(*talvo->addItem()));
    EXPECT_FALSE(talvo->moveInterval(intervals()[0], *talvo->addItem()));
}

class TalvoOptionsTreeSettings : public platform::registry::testing::RegistryFixture {};

TEST_F(TalvoOptionsTreeSettings, HandEditedOptionsAreClampedOrIgnored)
{
    const auto root = OpenSettingsRoot();
    ASSERT_TRUE(root);
    const auto key = root->createSubkey(u"Options");
    ASSERT_THAT(key, IsOk());
    ASSERT_THAT(key->setDword(u"ReplaySpeed", 5000), IsOk());
    ASSERT_THAT(key->setDword(u"FiringPoint", 0xFFFFFFFF), IsOk());
    ASSERT_THAT(key->setDword(u"PiezoRejectInterval", 4000000000U), IsOk());
    ASSERT_THAT(key->setDword(u"TargetLen", 7), IsOk());
    ASSERT_THAT(key->setString(u"ReplayAllPause", u"lots"), IsOk());
    std::vector<std::uint8_t> colors(32 + 12 * 2);
    const auto put = [&](std::size_t offset, std::uint32_t word) {
        for (int b = 0; b < 4; ++b) {
            colors[offset + static_cast<std::size_t>(b)] = static_cast<std::uint8_t>(word >> (8 * b));
        }
    };
    put(8, std::bit_cast<std::uint32_t>(std::numeric_limits<float>::quiet_NaN()));
    put(28, 1000);
    put(36, std::bit_cast<std::uint32_t>(-1e30F));
    put(40, std::bit_cast<std::uint32_t>(std::numeric_limits<float>::infinity()));
    put(48, std::bit_cast<std::uint32_t>(std::numeric_limits<float>::quiet_NaN()));
    ASSERT_THAT(key->setValue(u"TraceColors", REG_BINARY, colors), IsOk());

    COptions options;
    ASSERT_THAT(options.Load(*root), IsOk());
    TalvoOptionsTree talvo(options, english);
    EXPECT_EQ(300U, options.replaySpeed);
    EXPECT_EQ(1U, options.firingPoint);
    EXPECT_EQ(10.0F, options.piezoRejectInterval);
    EXPECT_EQ(1U, options.targetLen);
    EXPECT_EQ(1U, options.replayAllPause);
    EXPECT_EQ(0.0F, options.traceHeadingLength);
    ASSERT_EQ(2U, options.additionalIntervals.size());
    EXPECT_EQ((TraceInterval{0, -60.0F, 2.0F}), options.additionalIntervals[0]);
    EXPECT_EQ(-60.0F, options.additionalIntervals[1].begin);
    EXPECT_TRUE(findItem(talvo.tree(), "Trace replay speed 300 %"));
}

} // namespace
