#include "talvowatch/CatalogServer.h"

#include "support/PracticeFile.h"
#include "talvowatch/TrayModel.h"

#include "catalogcache/CatalogReader.h"
#include "platform/fs/tests/support/TemporaryFolder.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>

namespace talvowatch {
namespace {

using namespace std::chrono_literals;

/// Counts the scans that reached their end, as the tray sees them.
class ScanCounter {
public:
    explicit ScanCounter(TrayModel& tray) : m_tray(tray)
    {
        m_tray.setObserver([this] {
            const std::lock_guard lock(m_mutex);
            const TrayIcon icon = m_tray.icon();
            m_finished += m_last == TrayIcon::Busy && icon == TrayIcon::Idle ? 1 : 0;
            m_last = icon;
            m_changed.notify_all();
        });
    }
    ~ScanCounter() { m_tray.setObserver({}); }

    bool awaitScans(int count)
    {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, 60s, [&] { return m_finished >= count; });
    }

private:
    TrayModel& m_tray;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    TrayIcon m_last = TrayIcon::Idle;
    int m_finished = 0;
};

TEST(CatalogServerTest, RunsOncePerUserAndKeepsItsCacheAcrossRuns)
{
    platform::fs::testing::TemporaryFolder temp;
    std::filesystem::create_directories(temp / "run");
    std::filesystem::create_directories(temp / "catalog");
    ASSERT_TRUE(testsupport::writePractice(temp / "catalog" / "a.talvo", {}).hasValue());
    const catalogcache::CatalogLocation location{temp / "talvowatch.tmp", temp / "run"};
    auto reader = catalogcache::CatalogReader::create(location).value();

    TrayModel tray;
    {
        ScanCounter scans(tray);
        auto server = CatalogServer::start(location, temp / "catalog", tray, {});
        ASSERT_TRUE(server.hasValue());
        auto second = CatalogServer::start(location, temp / "catalog", tray, {});
        ASSERT_FALSE(second.hasValue());
        EXPECT_EQ(E_ACCESSDENIED, second.error().code);
        ASSERT_TRUE(scans.awaitScans(1));
        EXPECT_TRUE(catalogcache::GenerationPage::open(location.generationPage())->isReady());
        ASSERT_TRUE(reader->refresh().hasValue());
        EXPECT_EQ(1U, reader->records().size());
    }
    EXPECT_FALSE(catalogcache::GenerationPage::open(location.generationPage())->isReady());

    // A new run keeps the record, so it reads no file again: its counter stays at 0, yet the reader notices.
    ScanCounter scans(tray);
    auto server = CatalogServer::start(location, temp / "catalog", tray, {});
    ASSERT_TRUE(server.hasValue());
    ASSERT_TRUE(scans.awaitScans(1));
    EXPECT_EQ(0U, catalogcache::GenerationPage::open(location.generationPage())->generation());
    EXPECT_EQ(catalogcache::CatalogReader::Refresh::Rebuilt, reader->refresh().value());
    EXPECT_EQ(1U, reader->records().size());
}

} // namespace
} // namespace talvowatch
