#include "talvoshell/tests/support/CatalogFixture.h"

#include "catalogcache/tests/support/Records.h"
#include "platform/shell/Computer.h"
#include "talvoshell/TalvoFolder.h"

#include <fstream>

namespace talvoshell::testsupport {

using namespace platform::shell;

CatalogFixture::CatalogFixture()
{
    std::filesystem::create_directory(m_folder / "catalog");
    m_services = std::make_shared<CatalogServices>();
    m_services->launcher = m_launcher;
    m_services->catalog = std::make_shared<CCatalog>(
        location(),
        [this] {
            ++m_watcherStarts;
            page().setReady(true);
            auto lock = platform::kernel::FileLock::open(location().instanceLock());
            if (!lock || !lock.value().lock(platform::kernel::LockMode::Exclusive, platform::kernel::Timeout(0))) {
                return false;
            }
            m_watcherLock.emplace(std::move(lock).value());
            return true;
        },
        u"/opt/talvo/bin/talvowatch",
        [this](const std::u16string& text, const std::u16string& caption) { m_failures.emplace_back(text, caption); });
    m_services->confirm = [this](HWND, const std::u16string& text, const std::u16string&) {
        m_questions.push_back(text);
        return m_answer;
    };
    m_services->locale = QLocale(QLocale::English, QLocale::UnitedStates);
    m_services->catalogFolder = (m_folder / "catalog").u16string() + u"/";
    RegisterCatalogFolder(m_services);
}

CatalogFixture::~CatalogFixture()
{
    UnregisterComputerFolder(kCatalogRootName);
}

void CatalogFixture::publish(const std::vector<catalogcache::CatalogRecord>& records)
{
    std::size_t size = catalogcache::kHeaderSize;
    for (const auto& record : records) {
        size += catalogcache::recordLength(record);
    }
    const auto bytes = catalogcache::testsupport::cacheOf(records, (size / 4096 + 1) * 4096);
    std::ofstream(location().cacheFile, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    page().increment();
}

catalogcache::CatalogRecord CatalogFixture::practice(std::u16string path, std::u16string event, std::u16string shooter,
                                                     double date, std::int32_t version)
{
    catalogcache::CatalogRecord record = catalogcache::testsupport::practice(std::move(path));
    record.state = version >= 1 ? catalogcache::RecordState::Document : catalogcache::RecordState::Other;
    record.fileVersion = version;
    record.event = std::move(event);
    record.shooter = std::move(shooter);
    record.date = date;
    return record;
}

ItemIdPtr CatalogFixture::listOf(const std::vector<std::u16string>& names)
{
    ItemIdPtr list = ComputerIdList();
    list.reset(ILAppend(list.release(), item(kCatalogRootName).get()));
    for (const std::u16string& name : names) {
        list.reset(ILAppend(list.release(), item(name).get()));
    }
    return list;
}

ItemIdPtr CatalogFixture::item(const std::u16string& name)
{
    return ItemIdPtr(MakeCatalogItem(1, name));
}

} // namespace talvoshell::testsupport
