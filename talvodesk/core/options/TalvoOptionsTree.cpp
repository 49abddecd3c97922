#include "talvodesk/core/options/TalvoOptionsTree.h"

#include "talvodesk/core/options/Options.h"

#include <algorithm>
#include <array>
#include <iterator>

namespace talvodesk {

namespace {

// Pictures of the tree's image list.
constexpr int kNoImage = -1;
constexpr int kImagePrint = 9;
constexpr int kImageShotList = 10;
constexpr int kImageGeneral = 11;
constexpr int kImageTarget = 12;
constexpr int kImagePractice = 13;
constexpr int kImageNew = 14;
constexpr int kImageColour = 15;
constexpr int kImageIntervals = 17;

// String-table numbers of the labels.
constexpr std::uint32_t kIntervalLabel = 34138;
constexpr std::uint32_t kAddLabel = 34139;
constexpr std::uint32_t kFrequencyLabel = 34181;

constexpr double kIntervalMinimum = -60.0;
constexpr double kIntervalMaximum = 2.0;
constexpr double kIntervalStep = 0.01;

struct Switch {
    std::uint32_t label;
    std::uint32_t COptions::*value;
};

constexpr std::array kShotListSwitches = {
    Switch{34111, &COptions::shotListIndex},
    Switch{34112, &COptions::shotListResult},
    Switch{34113, &COptions::shotListAimingTime},
    Switch{34114, &COptions::shotListSteadiness6},
    Switch{34115, &COptions::shotListSteadiness9},
    Switch{34116, &COptions::shotListSteadiness10center},
    Switch{34117, &COptions::shotListSteadiness10p5center},
    Switch{34118, &COptions::shotListSteadiness10},
    Switch{34119, &COptions::shotListSteadiness10p5},
    Switch{34120, &COptions::shotListTraceSpeed},
    Switch{34121, &COptions::shotListTraceSpeed250},
    Switch{34122, &COptions::shotListBreachFromAAP},
};

constexpr std::array kPrintSwitches = {
    Switch{34171, &COptions::printAllShots},  Switch{34172, &COptions::printGenInfo},
    Switch{34173, &COptions::printSeries},    Switch{34174, &COptions::printCoordination},
    Switch{34175, &COptions::printShift},     Switch{34176, &COptions::printSpeed},
    Switch{34177, &COptions::printIntervals}, Switch{34178, &COptions::printProbability},
};

} // namespace

TalvoOptionsTree::TalvoOptionsTree(COptions& options, const TextLookup& texts) : m_options(options)
{
    build(texts);
}

void TalvoOptionsTree::build(const TextLookup& texts)
{
    using B = FieldBinding;
    COptions& o = m_options;
    const auto add = [&](std::optional<ItemId> parent, std::u16string_view label, int image,
                         std::vector<FieldBinding> bindings = {}) -> std::optional<ItemId> {
        if (!parent) {
            return std::nullopt;
        }
        return m_tree.addItem(*parent, CheckKind::None, nullptr, image, label, std::move(bindings));
    };
    const auto check = [&](std::optional<ItemId> parent, std::uint32_t label, std::uint32_t& value,
                           std::vector<FieldBinding> bindings = {}) -> std::optional<ItemId> {
        if (!parent) {
            return std::nullopt;
        }
        return m_tree.addItem(*parent, CheckKind::CheckBox, &value, kNoImage, texts(label), std::move(bindings));
    };
    const auto plain = [&](std::optional<ItemId> parent, std::uint32_t label, int image,
                           std::vector<FieldBinding> bindings = {}) {
        return add(parent, texts(label), image, std::move(bindings));
    };

    const auto general = plain(OptionsTree::kRoot, 34100, kImageGeneral);
    plain(general, 34101, kNoImage, {B::number(o.replayAllPause, 1, 10)});
    plain(general, 34102, kNoImage, {B::number(o.replaySpeed, 10, 300)});
    check(general, 34103, o.targetResult);
    check(general, 34104, o.targetLen);

    const auto shotList = plain(OptionsTree::kRoot, 34110, kImageShotList);
    for (const Switch& entry : kShotListSwitches) {
        check(shotList, entry.label, o.*entry.value);
    }

    const auto target = plain(OptionsTree::kRoot, 34130, kImageTarget);
    plain(target, 34131, kImageColour, {B::colour(o.breachColor)});
    plain(target, 34132, kImageColour, {B::colour(o.selectedBreachColor)});
    plain(target, 34133, kImageColour, {B::colour(o.traceColorBeforeShot)});
    plain(target, 34134, kImageColour, {B::colour(o.traceColorAfterShot)});
    plain(target, 34135, kImageColour, {B::colour(o.controlIntervalColor)});
    check(target, 34136, o.traceHeading, {B::colour(o.headingColor), B::decimal(o.traceHeadingLength, 0.0, 1.0, 0.01)});
    m_intervalsGroup = plain(target, 34137, kImageIntervals);
    buildIntervals(texts);
    check(target, 34140, o.targetSmoothZoom);

    const auto practice = plain(OptionsTree::kRoot, 34150, kImagePractice);
    check(practice, 34151, o.enableRS232);
    plain(practice, 34152, kNoImage, {B::number(o.firingPoint, 1, 1000)});
    check(practice, 34153, o.autoReplay, {B::number(o.autoReplaySec, 0, 60)});
    check(practice, 34154, o.forceReplay);
    const auto store = plain(practice, 34155, kNoImage);
    plain(store, 34156, kNoImage, {B::number(o.saveSecBeforeShot, 5, 60)});
    plain(store, 34157, kNoImage, {B::number(o.saveSecAfterShot, 1, 2)});
    check(practice, 34158, o.autoSwitchToTrace);
    check(practice, 34159, o.enableAutoSaveAfterShot, {B::number(o.autoSaveAfterShot, 1, 20)});
    check(practice, 34160, o.displayTimeCounter);
    plain(practice, 34161, kNoImage, {B::decimal(o.piezoRejectInterval, 0.0, 10.0, 0.05)});

    const auto print = plain(OptionsTree::kRoot, 34170, kImagePrint);
    for (const Switch& entry : kPrintSwitches) {
        check(print, entry.label, o.*entry.value);
    }

    const auto blind = check(OptionsTree::kRoot, 34180, o.blindGen);
    for (int zone = 0; zone < static_cast<int>(o.blindGenFrequency.size()); ++zone) {
        if (const auto label = FormatLabelWith(texts(kFrequencyLabel), zone, u"%1!d!")) {
            add(blind, *label, kNoImage, {B::number(o.blindGenFrequency[static_cast<std::size_t>(zone)], 0, 16000)});
        }
    }
}

void TalvoOptionsTree::buildIntervals(const TextLookup& texts)
{
    if (!m_intervalsGroup) {
        return;
    }
    m_intervalLabel = texts(kIntervalLabel);
    m_addLabel = texts(kAddLabel);
    // A label that cannot show an interval would drop the intervals it could not show.
    TraceInterval probe;
    OptionsTree scratch;
    if (!scratch.addItem(OptionsTree::kRoot, CheckKind::None, nullptr, kImageColour, m_intervalLabel,
                         {FieldBinding::colour(probe.color), FieldBinding::decimal(probe.begin, 0, 0, 0),
                          FieldBinding::decimal(probe.end, 0, 0, 0)})) {
        m_tree.removeItem(*m_intervalsGroup);
        m_intervalsGroup.reset();
        return;
    }
    for (std::size_t index = 0; index < m_options.additionalIntervals.size(); ++index) {
        addIntervalItem(index);
    }
    appendAddItem();
}

std::vector<FieldBinding> TalvoOptionsTree::intervalBindings(std::size_t index)
{
    TraceInterval& interval = m_options.additionalIntervals[index];
    return {FieldBinding::colour(interval.color),
            FieldBinding::decimal(interval.begin, kIntervalMinimum, kIntervalMaximum, kIntervalStep),
            FieldBinding::decimal(interval.end, kIntervalMinimum, kIntervalMaximum, kIntervalStep)};
}

std::optional<TalvoOptionsTree::ItemId> TalvoOptionsTree::addIntervalItem(std::size_t index)
{
    return m_tree.addItem(*m_intervalsGroup, CheckKind::None, nullptr, kImageColour, m_intervalLabel,
                          intervalBindings(index));
}

void TalvoOptionsTree::appendAddItem()
{
    m_addItem = m_tree.addItem(*m_intervalsGroup, CheckKind::None, nullptr, kImageNew, m_addLabel);
}

std::vector<TalvoOptionsTree::ItemId> TalvoOptionsTree::intervalItems() const
{
    std::vector<ItemId> items;
    if (m_intervalsGroup) {
        std::ranges::copy_if(m_tree.children(*m_intervalsGroup), std::back_inserter(items),
                             [this](ItemId item) { return item != m_addItem; });
    }
    return items;
}

void TalvoOptionsTree::rebindIntervals()
{
    const auto items = intervalItems();
    for (std::size_t index = 0; index < items.size(); ++index) {
        m_tree.rebind(items[index], intervalBindings(index));
    }
}

bool TalvoOptionsTree::isInterval(ItemId item) const
{
    return m_intervalsGroup && m_tree.contains(item) && m_tree.parent(item) == *m_intervalsGroup && item != m_addItem;
}

std::optional<TalvoOptionsTree::ItemId> TalvoOptionsTree::select(std::optional<ItemId> item)
{
    if (item == m_selected) {
        return m_selected;
    }
    if (m_adding && m_selected == m_adding) {
        const TraceInterval& added = m_options.additionalIntervals.back();
        if (added.end > added.begin) {
            m_tree.setImage(*m_adding, kImageColour);
        } else {
            m_tree.removeItem(*m_adding);
            m_options.additionalIntervals.pop_back();
            if (item == m_adding) {
                item.reset();
            }
        }
        m_adding.reset();
        appendAddItem();
    }
    m_selected = item;
    if (item && item == m_addItem) {
        m_tree.removeItem(*m_addItem);
        m_addItem.reset();
        m_options.additionalIntervals.push_back({0xFFFFFF, 0.0F, 0.0F});
        rebindIntervals();
        m_adding = addIntervalItem(m_options.additionalIntervals.size() - 1);
        m_tree.setImage(*m_adding, kImageNew);
        m_selected = m_adding;
    }
    return m_selected;
}

bool TalvoOptionsTree::deleteInterval(ItemId item)
{
    if (!isInterval(item)) {
        return false;
    }
    if (item == m_adding) {
        m_adding.reset();
        m_selected = m_intervalsGroup;
    } else {
        select(m_intervalsGroup);
    }
    const auto items = intervalItems();
    const auto index = std::ranges::find(items, item) - items.begin();
    m_tree.removeItem(item);
    m_options.additionalIntervals.erase(m_options.additionalIntervals.begin() + index);
    rebindIntervals();
    if (!m_addItem) {
        appendAddItem();
    }
    return true;
}

bool TalvoOptionsTree::canDrag(ItemId item) const
{
    return isInterval(item) && item != m_adding;
}

bool TalvoOptionsTree::moveInterval(ItemId dragged, ItemId target)
{
    if (!canDrag(dragged) || !canDrag(target) || dragged == target) {
        return false;
    }
    const auto items = intervalItems();
    const auto from = std::ranges::find(items, dragged) - items.begin();
    const auto to = std::ranges::find(items, target) - items.begin();
    auto& intervals = m_options.additionalIntervals;
    const TraceInterval moved = intervals[static_cast<std::size_t>(from)];
    intervals.erase(intervals.begin() + from);
    intervals.insert(intervals.begin() + (from < to ? to - 1 : to), moved);
    m_tree.moveBefore(dragged, target);
    rebindIntervals();
    return true;
}

} // namespace talvodesk
