#pragma once

#include "catalogcache/CatalogCache.h"
#include "catalogcache/CatalogLocation.h"
#include "catalogcache/GenerationPage.h"

#include "platform/fs/tests/support/TemporaryFolder.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>

namespace catalogcache::testsupport {

/// A temporary folder holding a cache file and the runtime folder beside it, with the watcher's generation page.
class CacheFolder : public ::testing::Test {
protected:
    CacheFolder()
    {
        std::filesystem::create_directory(m_folder / "run");
        auto page = GenerationPage::create(location().generationPage());
        EXPECT_TRUE(page.hasValue());
        m_page.emplace(std::move(page).value());
    }

    CatalogLocation location() const { return CatalogLocation{m_folder / "talvowatch.tmp", m_folder / "run"}; }
    GenerationPage& page() { return *m_page; }
    std::unique_ptr<CatalogCache> openCache()
    {
        auto cache = CatalogCache::open(location().cacheFile, page());
        EXPECT_TRUE(cache.hasValue());
        return cache ? std::move(cache).value() : nullptr;
    }

    platform::fs::testing::TemporaryFolder m_folder;

private:
    std::optional<GenerationPage> m_page;
};

} // namespace catalogcache::testsupport
