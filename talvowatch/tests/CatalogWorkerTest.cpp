#include "talvowatch/CatalogWorker.h"

#include "talvowatch/TrayModel.h"
#include "talvowatch/tests/support/PracticeFile.h"
#include "talvowatch/tests/support/ScriptedChanges.h"

#include "catalogcache/CatalogCache.h"
#include "catalogcache/CatalogLocation.h"
#include "catalogcache/GenerationPage.h"
#include "platform/com/Bstr.h"
#include "platform/fs/tests/support/TemporaryFolder.h"
#include "platform/kernel/SwmrgGuard.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <functional>
#include <optional>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

namespace talvowatch {
namespace {

using catalogcache::CatalogRecord;
using catalogcache::RecordState;
using namespace std::chrono_literals;
using testsupport::PracticeSpec;
using Names = std::vector<std::u16string>;
namespace fs = std::filesystem;

PracticeSpec byShooter(std::u16string shooter)
{
    PracticeSpec spec;
    spec.shooter = std::move(shooter);
    return spec;
}

struct Seen {
    ShellChange change;
    Names names; // After the root's two items.
    bool operator==(const Seen&) const = default;
};

class CatalogWorkerTest : public ::testing::Test {
protected:
    CatalogWorkerTest()
    {
        std::filesystem::create_directories(m_catalog);
        std::filesystem::create_directories(m_temp / "run");
        m_page.emplace(catalogcache::GenerationPage::create(m_temp / "run" / "TALVOWATCHIM").value());
        m_guard = platform::kernel::SwmrgGuard::CreateGuard(m_temp / "run", catalogcache::kGuardName).value();
        m_cache = catalogcache::CatalogCache::open(m_temp / "talvowatch.tmp", *m_page).value();
    }

    CatalogWorker worker(const std::filesystem::path& folder) { return worker(*m_cache, m_changes, folder); }
    CatalogWorker worker(catalogcache::CatalogCache& cache, ChangeSource& changes, const std::filesystem::path& folder)
    {
        return CatalogWorker(WorkerServices{cache, *m_guard, changes, m_tray, m_clock,
                                            [this](const ShellNotification& sent) { m_sent.push_back(sent); }},
                             folder);
    }
    std::filesystem::path addPractice(const std::string& name, const PracticeSpec& spec = {})
    {
        const std::filesystem::path path = m_catalog / name;
        std::filesystem::create_directories(path.parent_path());
        EXPECT_TRUE(testsupport::writePractice(path, spec).hasValue());
        return path;
    }
    /// The live records, paths relative to the temporary folder.
    std::vector<CatalogRecord> records() const { return records(*m_cache); }
    std::vector<CatalogRecord> records(const catalogcache::CatalogCache& cache) const
    {
        std::vector<CatalogRecord> records;
        const std::u16string prefix = platform::com::utf8ToUtf16((m_temp.path() / "").string());
        for (const std::size_t offset : cache.liveOffsets()) {
            records.push_back(cache.record(offset));
            records.back().path.erase(0, prefix.size());
        }
        return records;
    }
    Names paths() const
    {
        Names paths;
        for (const CatalogRecord& record : records()) {
            paths.push_back(record.path);
        }
        return paths;
    }
    std::vector<Seen> takeNotifications()
    {
        std::vector<Seen> seen;
        const std::u16string prefix = platform::com::utf8ToUtf16((m_temp.path() / "").string());
        for (const ShellNotification& sent : m_sent) {
            Names names = catalogcache::catalogItemNames(sent.idList);
            names.erase(names.begin(), names.begin() + 2);
            if (names.size() == 3) {
                names[2].erase(0, prefix.size());
            }
            seen.push_back({sent.change, names});
        }
        m_sent.clear();
        return seen;
    }

    platform::fs::testing::TemporaryFolder m_temp;
    std::filesystem::path m_catalog = m_temp / "catalog";
    std::optional<catalogcache::GenerationPage> m_page;
    std::unique_ptr<platform::kernel::SwmrgGuard> m_guard;
    std::unique_ptr<catalogcache::CatalogCache> m_cache;
    platform::time::ManualClock m_clock;
    testsupport::ScriptedChanges m_changes{m_clock, m_catalog};
    TrayModel m_tray;
    std::vector<ShellNotification> m_sent;
};

TEST_F(CatalogWorkerTest, ScanIndexesEveryListedFileDepthFirst)
{
    PracticeSpec ann = byShooter(u"Ann");
    ann.matchShots = 4;
    ann.comments = u"windy";
    addPractice("AR/ann.talvo", ann);
    PracticeSpec nameless = byShooter(u"");
    nameless.matchShots = 0;
    nameless.sightingShots = 2;
    nameless.firstShot = 46100;
    addPractice("AR/sub/nameless.talvo", nameless);
    addPractice(".hidden.talvo");
    addPractice(".folder/inside.talvo");
    platform::fs::testing::writeText(m_catalog / "notes.txt", "not a practice");
    worker(m_catalog).rescan();

    EXPECT_EQ((Names{u"catalog/notes.txt", u"catalog/AR/ann.talvo", u"catalog/AR/sub/nameless.talvo"}), paths());
    const std::vector<CatalogRecord> found = records();
    EXPECT_EQ(RecordState::Other, found[0].state);
    EXPECT_EQ(0, found[0].fileVersion);
    EXPECT_TRUE(found[0].event.empty());
    EXPECT_EQ(14, found[0].fileSize);

    const CatalogRecord& annRecord = found[1];
    EXPECT_EQ(RecordState::Document, annRecord.state);
    EXPECT_EQ(10, annRecord.fileVersion);
    EXPECT_EQ(u"Air Rifle 10 Meters", annRecord.event);
    EXPECT_EQ(u"Ann", annRecord.shooter);
    EXPECT_EQ(u"windy", annRecord.comments);
    EXPECT_EQ(4, annRecord.matchShots);
    EXPECT_DOUBLE_EQ(46000.5, annRecord.date);
    EXPECT_EQ(12, annRecord.coefficient);
    EXPECT_LE(annRecord.integerTotal, static_cast<int>(annRecord.decimalTotal));
    EXPECT_EQ(static_cast<std::int32_t>(std::filesystem::file_size(m_catalog / "AR/ann.talvo")), annRecord.fileSize);

    const CatalogRecord& namelessRecord = found[2];
    EXPECT_EQ(u"Unknown", namelessRecord.shooter);
    EXPECT_EQ(0, namelessRecord.matchShots);
    EXPECT_DOUBLE_EQ(46100, namelessRecord.date); // From the first sighting shot.

    EXPECT_EQ(TrayIcon::Idle, m_tray.icon());
    EXPECT_EQ("Talvo catalog - 2 file(s)", m_tray.tip());
    EXPECT_EQ(3U, m_page->generation());
}

TEST_F(CatalogWorkerTest, NotificationsFollowTheFoldersAPracticeFillsOrEmpties)
{
    const auto folder = [](const std::u16string& shooter) { return Names{u"Air Rifle 10 Meters", shooter}; };
    const auto file = [](const std::u16string& shooter, const std::u16string& path) {
        return Names{u"Air Rifle 10 Meters", shooter, u"catalog/" + path};
    };
    CatalogWorker watcher = worker(m_catalog);
    const auto ann = addPractice("a1.talvo", byShooter(u"Ann"));
    watcher.rescan();
    ASSERT_EQ(1U, records().size());
    const Names event{records()[0].event};
    ASSERT_EQ(u"Air Rifle 10 Meters", event[0]);
    EXPECT_EQ((std::vector<Seen>{{ShellChange::MkDir, event}, {ShellChange::MkDir, folder(u"Ann")}}),
              takeNotifications());

    const auto bob = addPractice("b1.talvo", byShooter(u"Bob"));
    watcher.rescan();
    EXPECT_EQ((std::vector<Seen>{{ShellChange::MkDir, folder(u"Bob")}}), takeNotifications());
    const auto bob2 = addPractice("b2.talvo", byShooter(u"Bob"));
    watcher.rescan();
    EXPECT_EQ((std::vector<Seen>{{ShellChange::Create, file(u"Bob", u"b2.talvo")}}), takeNotifications());

    std::filesystem::remove(bob);
    watcher.rescan();
    EXPECT_EQ((std::vector<Seen>{{ShellChange::Delete, file(u"Bob", u"b1.talvo")}}), takeNotifications());
    std::filesystem::remove(ann);
    std::filesystem::remove(bob2);
    watcher.rescan();
    EXPECT_EQ((std::vector<Seen>{{ShellChange::RmDir, folder(u"Ann")},
                                 {ShellChange::RmDir, folder(u"Bob")},
                                 {ShellChange::RmDir, event}}),
              takeNotifications());
    EXPECT_EQ("Talvo catalog - 0 file(s)", m_tray.tip());
}

TEST_F(CatalogWorkerTest, RescanReadsOnlyNewAndChangedFiles)
{
    addPractice("a.talvo");
    const auto touched = addPractice("b.talvo");
    platform::fs::testing::writeText(m_catalog / "c.txt", "other");
    CatalogWorker watcher = worker(m_catalog);
    watcher.rescan();
    const std::uint32_t generation = m_page->generation();
    watcher.rescan();
    EXPECT_EQ(generation, m_page->generation()); // Nothing was read again or written.

    const auto before = records()[1].fileTime;
    std::filesystem::last_write_time(touched, std::filesystem::last_write_time(touched) + 1h);
    addPractice("d.talvo");
    watcher.rescan();
    EXPECT_EQ(generation + 3, m_page->generation()); // The touched file deleted and appended, one new file.
    EXPECT_EQ((Names{u"catalog/a.talvo", u"catalog/c.txt", u"catalog/b.talvo", u"catalog/d.talvo"}), paths());
    EXPECT_EQ(before + 36000000000ULL, records()[2].fileTime);
}

TEST_F(CatalogWorkerTest, RecordsOutsideTheCatalogFolderAreDropped)
{
    addPractice("a.talvo");
    const std::filesystem::path other = m_temp / "catalog2";
    std::filesystem::create_directories(other);
    ASSERT_TRUE(testsupport::writePractice(other / "x.talvo", {}).hasValue());
    worker(m_catalog).rescan();
    worker(other).rescan();
    EXPECT_EQ((Names{u"catalog2/x.talvo"}), paths());
    worker(m_catalog).rescan();
    EXPECT_EQ((Names{u"catalog/a.talvo"}), paths());
}

TEST_F(CatalogWorkerTest, ABurstOfChangesGivesOneRescanOnceTheFolderIsQuiet)
{
    for (auto when = 10s; when <= 70s; when += 3s) {
        m_changes.changes.push_back(when);
    }
    m_changes.stopAt = 200s;
    worker(m_catalog).run();
    EXPECT_EQ((std::vector<std::chrono::milliseconds>{0s, 70s + kSettlePeriod}), m_changes.scans);
    EXPECT_EQ(TrayIcon::Idle, m_tray.icon());
}

TEST_F(CatalogWorkerTest, WithoutFolderNotificationsTheCatalogIsRescannedEveryMinute)
{
    m_changes.watchesFail = true;
    m_changes.stopAt = 150s;
    std::vector<std::chrono::milliseconds> scans; // Scans leave no watches now: the tray shows them.
    m_tray.setObserver([&] {
        if (m_tray.icon() == TrayIcon::Busy && (scans.empty() || scans.back() != m_clock.steadyNow())) {
            scans.push_back(m_clock.steadyNow());
        }
    });
    worker(m_catalog).run();
    m_tray.setObserver({});
    EXPECT_EQ((std::vector<std::chrono::milliseconds>{0s, 60s, 120s}), scans);
    EXPECT_EQ("Talvo catalog - 0 file(s)\nFolder changes cannot be watched: rescanning every minute", m_tray.tip());
}

TEST_F(CatalogWorkerTest, StopEndsTheSettleWaitAtOnce)
{
    m_changes.changes = {10s};
    m_changes.stopAt = 12s;
    worker(m_catalog).run();
    EXPECT_EQ(12s, m_clock.steadyNow());
    EXPECT_EQ((std::vector<std::chrono::milliseconds>{0s}), m_changes.scans);
    EXPECT_EQ(TrayIcon::ChangeSeen, m_tray.icon());
    EXPECT_EQ("Talvo catalog busy - 0 file(s)", m_tray.tip());
}

TEST_F(CatalogWorkerTest, RescansOfTheChangedFoldersIndexWhatAFullWalkWould)
{
    using Step = std::function<void(const fs::path& catalog, const fs::path& outside)>;
    struct Scenario {
        const char* name;
        std::vector<Step> steps; // Each followed by a rescan of what it changed.
        bool lost = false;       // The changes are lost as in a queue overflow.
    };
    const auto practice = [](const fs::path& path) {
        fs::create_directories(path.parent_path());
        EXPECT_TRUE(testsupport::writePractice(path, byShooter(path.parent_path().filename().u16string())).hasValue());
    };
    const auto touch = [](const fs::path& path) { fs::last_write_time(path, fs::last_write_time(path) + 1h); };
    const Scenario scenarios[] = {
        {"new practice", {[&](auto& c, auto&) { practice(c / "AR/Ann/new.talvo"); }}},
        {"practice rewritten, other file deleted", {[&](auto& c, auto&) {
             touch(c / "AR/Ann/a.talvo");
             fs::remove(c / "notes.txt");
         }}},
        {"practice renamed", {[&](auto& c, auto&) { fs::rename(c / "AR/Bob/c.talvo", c / "AR/Bob/d.talvo"); }}},
        {"folder made with practices", {[&](auto& c, auto&) {
             practice(c / "AR/Cy/x.talvo");
             practice(c / "New/Deep/y.talvo");
         }}},
        {"folder renamed, then a practice saved into it",
         {[&](auto& c, auto&) { fs::rename(c / "AR/Ann", c / "AR/Anna"); },
          [&](auto& c, auto&) { practice(c / "AR/Anna/z.talvo"); }}},
        {"folder deleted, then made again",
         {[&](auto& c, auto&) { fs::remove_all(c / "AR"); }, [&](auto& c, auto&) { practice(c / "AR/Ann/a.talvo"); }}},
        {"folder moved out, then written to",
         {[&](auto& c, auto& o) { fs::rename(c / "AR/Bob", o / "Bob"); },
          [&](auto&, auto& o) { practice(o / "Bob/e.talvo"); }}},
        {"folder moved in", {[&](auto& c, auto& o) {
             practice(o / "Dan/f.talvo");
             fs::rename(o / "Dan", c / "AR/Dan");
         }}},
        {"hidden folder and file", {[&](auto& c, auto&) {
             practice(c / ".partial/g.talvo");
             practice(c / "AR/.h.talvo");
         }}},
        {"catalog folder deleted, then made again",
         {[&](auto& c, auto&) { fs::remove_all(c); }, [&](auto& c, auto&) { practice(c / "AR/Eve/i.talvo"); }}},
        {"catalog folder moved away, then written to",
         {[&](auto& c, auto& o) { fs::rename(c, o / "moved"); },
          [&](auto&, auto& o) { practice(o / "moved/AR/Ann/j.talvo"); }}},
        {"changes lost",
         {[&](auto& c, auto&) {
             practice(c / "AR/Cy/x.talvo");
             fs::remove_all(c / "AR/Bob");
             touch(c / "AR/Ann/b.talvo");
         }},
         true},
    };
    const fs::path outside = m_temp / "outside";
    for (const Scenario& scenario : scenarios) {
        SCOPED_TRACE(scenario.name);
        fs::remove_all(m_catalog);
        fs::remove_all(outside);
        fs::create_directories(outside);
        practice(m_catalog / "AR/Ann/a.talvo");
        practice(m_catalog / "AR/Ann/b.talvo");
        practice(m_catalog / "AR/Bob/c.talvo");
        platform::fs::testing::writeText(m_catalog / "notes.txt", "not a practice");

        m_cache.reset();
        fs::remove(m_temp / "talvowatch.tmp");
        m_cache = catalogcache::CatalogCache::open(m_temp / "talvowatch.tmp", *m_page).value();
        FolderWatchSource changes(platform::kernel::FolderWatch::create().value());
        CatalogWorker watcher = worker(*m_cache, changes, m_catalog);
        watcher.rescan();
        for (const Step& step : scenario.steps) {
            step(m_catalog, outside);
            (void)changes.wait(0ms);
            ChangeSource::Changes changed = changes.takeChanges();
            if (scenario.lost) {
                changed = {};
                changed.overflowed = true;
            }
            watcher.rescan(changed);
        }

        fs::remove(m_temp / "walked.tmp");
        const auto walked = catalogcache::CatalogCache::open(m_temp / "walked.tmp", *m_page).value();
        worker(*walked, m_changes, m_catalog).rescan();
        const auto byPath = [](std::vector<CatalogRecord> records) {
            std::sort(records.begin(), records.end(), [](auto& a, auto& b) { return a.path < b.path; });
            return records;
        };
        EXPECT_EQ(byPath(records(*walked)), byPath(records()));
        const std::uint32_t generation = m_page->generation();
        watcher.rescan();
        EXPECT_EQ(generation, m_page->generation()); // A full walk finds nothing left to do.
    }
}

TEST_F(CatalogWorkerTest, ACacheTornWhileCompactingIsRebuiltWithEveryFileOnce)
{
    Names expected;
    for (int i = 0; i < 400; ++i) {
        const std::string name = "f" + std::to_string(1000 + i);
        platform::fs::testing::writeText(m_catalog / name, "x");
        if (i % 2 == 1) {
            expected.push_back(u"catalog/" + platform::com::utf8ToUtf16(name));
        }
    }
    worker(m_catalog).rescan();
    for (int i = 0; i < 400; i += 2) {
        fs::remove(m_catalog / ("f" + std::to_string(1000 + i)));
    }
    worker(m_catalog).rescan();
    ASSERT_EQ(200, m_cache->header().deleted);

    // The watcher dies where compaction first writes to a page it may only read: the records before it have moved
    // down over deleted ones, those after it have not.
    const std::size_t length = catalogcache::recordLength(m_cache->record(m_cache->liveOffsets().front()));
    const std::size_t page = (catalogcache::kHeaderSize + 100 * length) / 4096 * 4096;
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGSEGV, [](int) { _exit(0); });
        auto* view = const_cast<std::uint8_t*>(m_cache->bytes().data());
        if (::mprotect(view + page, 4096, PROT_READ) == 0) {
            m_cache->compact();
        }
        _exit(1);
    }
    int status = 0;
    ASSERT_EQ(child, waitpid(child, &status, 0));
    ASSERT_FALSE(WIFEXITED(status) && WEXITSTATUS(status) == 1); // Compaction did stop part-way.

    m_cache.reset();
    m_cache = catalogcache::CatalogCache::open(m_temp / "talvowatch.tmp", *m_page).value();
    EXPECT_FALSE(m_cache->wasReused());
    worker(m_catalog).rescan();
    Names found = paths();
    std::sort(found.begin(), found.end());
    EXPECT_EQ(expected, found);
}

} // namespace
} // namespace talvowatch
