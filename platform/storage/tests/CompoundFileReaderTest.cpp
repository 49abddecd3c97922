#include "platform/storage/CompoundFile.h"

#include "platform/com/Bstr.h"
#include "platform/fs/ReadFile.h"
#include "platform/storage/tests/support/StorageHelpers.h"
#include "platform/testing/Matchers.h"

#include <cstring>
#include <random>

using namespace platform::storage;
using namespace platform::storage::testing;
using platform::com::ComPtr;

namespace {

constexpr CLSID kDocumentClass = platform::com::makeGuid("6B1D5A34-8C2E-4F0B-9E27-3D41A5C6B708");
constexpr std::uint32_t kEnd = 0xFFFFFFFE;
constexpr std::uint32_t kFree = 0xFFFFFFFF;

void put16(std::vector<std::uint8_t>& bytes, std::size_t offset, std::uint16_t value)
{
    bytes[offset] = static_cast<std::uint8_t>(value);
    bytes[offset + 1] = static_cast<std::uint8_t>(value >> 8);
}

void put32(std::vector<std::uint8_t>& bytes, std::size_t offset, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i) {
        bytes[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
    }
}

void putEntry(std::vector<std::uint8_t>& bytes, std::size_t offset, const std::u16string& name, std::uint8_t type,
              std::uint8_t color, std::uint32_t right, std::uint32_t child, std::uint32_t start, std::uint32_t size)
{
    for (std::size_t i = 0; i < name.size(); ++i) {
        put16(bytes, offset + 2 * i, name[i]);
    }
    put16(bytes, offset + 64, static_cast<std::uint16_t>((name.size() + 1) * 2));
    bytes[offset + 66] = type;
    bytes[offset + 67] = color;
    put32(bytes, offset + 68, kFree);
    put32(bytes, offset + 72, right);
    put32(bytes, offset + 76, child);
    put32(bytes, offset + 116, start);
    put32(bytes, offset + 120, size);
}

/// A version 4 file (4096-byte sectors) laid out by hand: sector 0 FAT, 1 directory, 2 mini FAT, 3 mini stream,
/// 4 and 5 the stream "BigStream" (5000 bytes); "Small" (100 bytes) lives in mini sectors 0 and 1.
std::vector<std::uint8_t> version4File()
{
    constexpr std::size_t kSector = 4096;
    std::vector<std::uint8_t> bytes(kSector * 7);
    const std::uint8_t signature[] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
    std::memcpy(bytes.data(), signature, sizeof signature);
    put16(bytes, 24, 0x3E);
    put16(bytes, 26, 4);
    put16(bytes, 28, 0xFFFE);
    put16(bytes, 30, 12);
    put16(bytes, 32, 6);
    put32(bytes, 40, 1);
    put32(bytes, 44, 1);
    put32(bytes, 48, 1);
    put32(bytes, 56, 4096);
    put32(bytes, 60, 2);
    put32(bytes, 64, 1);
    put32(bytes, 68, kEnd);
    put32(bytes, 76, 0);
    for (std::size_t i = 1; i < 109; ++i) {
        put32(bytes, 76 + 4 * i, kFree);
    }
    auto sector = [&](std::size_t n) { return kSector * (n + 1); };
    const std::uint32_t fat[] = {0xFFFFFFFD, kEnd, kEnd, kEnd, 5, kEnd};
    for (std::size_t i = 0; i < kSector / 4; ++i) {
        put32(bytes, sector(0) + 4 * i, i < std::size(fat) ? fat[i] : kFree);
        put32(bytes, sector(2) + 4 * i, i == 0 ? 1 : i == 1 ? kEnd : kFree);
    }
    for (std::size_t i = 0; i < kSector / 128; ++i) {
        put32(bytes, sector(1) + 128 * i + 68, kFree);
        put32(bytes, sector(1) + 128 * i + 72, kFree);
        put32(bytes, sector(1) + 128 * i + 76, kFree);
    }
    putEntry(bytes, sector(1), u"Root Entry", 5, 1, kFree, 1, 3, 128);
    const auto clsid = platform::com::guidToBytes(kDocumentClass);
    std::memcpy(bytes.data() + sector(1) + 80, clsid.data(), clsid.size());
    putEntry(bytes, sector(1) + 128, u"Small", 2, 1, 2, kFree, 0, 100);
    putEntry(bytes, sector(1) + 256, u"BigStream", 2, 0, kFree, kFree, 4, 5000);
    const auto small = pattern(100, 1);
    std::memcpy(bytes.data() + sector(3), small.data(), small.size());
    const auto big = pattern(5000, 2);
    std::memcpy(bytes.data() + sector(4), big.data(), big.size());
    return bytes;
}

std::vector<std::uint8_t> version3File()
{
    auto storage = createCompoundFileInMemory();
    EXPECT_HR(S_OK, storage->SetClass(kDocumentClass));
    ComPtr<IStorage> nested;
    EXPECT_HR(S_OK, storage->CreateStorage(u"Nested", STGM_CREATE | STGM_READWRITE, nested.put()));
    const std::size_t sizes[] = {0, 10, 100, 600, 5000};
    for (std::size_t i = 0; i < std::size(sizes); ++i) {
        EXPECT_HR(S_OK, writeStream(*storage, u"Stream" + std::u16string(1, u'0' + i), pattern(sizes[i], i)));
        EXPECT_HR(S_OK, writeStream(*nested, u"Inner" + std::u16string(1, u'0' + i), pattern(sizes[i], i + 5)));
    }
    auto bytes = compoundFileBytes(*storage);
    EXPECT_THAT(bytes, IsOk());
    return bytes ? *bytes : std::vector<std::uint8_t>{};
}

TEST(CompoundFileReaderTest, ReadsVersion4Files)
{
    auto opened = openCompoundFileInMemory(version4File());
    ASSERT_THAT(opened, IsOk());
    STATSTG stat;
    ASSERT_HR(S_OK, (*opened)->Stat(&stat, STATFLAG_NONAME));
    EXPECT_EQ(kDocumentClass, stat.clsid);
    const auto small = readStream(**opened, u"small");
    ASSERT_THAT(small, IsOk());
    EXPECT_EQ(pattern(100, 1), *small);
    const auto big = readStream(**opened, u"BigStream");
    ASSERT_THAT(big, IsOk());
    EXPECT_EQ(pattern(5000, 2), *big);
}

// Laid out by hand, unlike our writer: two directory sectors, a storage between its siblings, a class identifier.
TEST(CompoundFileReaderTest, ReadsAFileOurWriterDidNotMake)
{
    const auto bytes = platform::fs::readWholeFile(TALVO_STORAGE_DATA_DIR "/handmade-version3.cfb");
    ASSERT_THAT(bytes, IsOk());
    auto opened = openCompoundFileInMemory(*bytes);
    ASSERT_THAT(opened, IsOk());
    STATSTG stat;
    ASSERT_HR(S_OK, (*opened)->Stat(&stat, STATFLAG_NONAME));
    EXPECT_EQ(platform::com::makeGuid("03020100-0504-0706-0809-0A0B0C0D0E0F"), stat.clsid);
    ComPtr<IStorage> nested;
    ASSERT_HR(S_OK, (*opened)->OpenStorage(u"Nested", STGM_READ, nested.put()));
    const std::tuple<IStorage*, std::u16string, std::vector<std::uint8_t>> streams[] = {
        {opened->get(), u"Big", pattern(5000, 3)},
        {opened->get(), u"Contents", pattern(100, 1)},
        {nested.get(), u"Inner", pattern(10, 2)},
    };
    for (const auto& [storage, name, content] : streams) {
        SCOPED_TRACE(platform::com::utf16ToUtf8(name));
        const auto read = readStream(*storage, name);
        ASSERT_THAT(read, IsOk());
        EXPECT_EQ(content, *read);
    }
}

// Each file's name begins with the result it must give.
TEST(CompoundFileReaderTest, MalformedFilesFailWithTheirNamedResult)
{
    const std::pair<std::string, HRESULT> prefixes[] = {
        {"docfilecorrupt-", STG_E_DOCFILECORRUPT},
        {"invalidheader-", STG_E_INVALIDHEADER},
    };
    std::size_t count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(TALVO_STORAGE_DATA_DIR "/malformed")) {
        const std::string name = entry.path().filename().string();
        SCOPED_TRACE(name);
        const auto bytes = platform::fs::readWholeFile(entry.path());
        ASSERT_THAT(bytes, IsOk());
        const auto prefix = std::find_if(std::begin(prefixes), std::end(prefixes),
                                         [&](const auto& p) { return name.starts_with(p.first); });
        ASSERT_NE(std::end(prefixes), prefix) << "no expected result in the name";
        EXPECT_THAT(openCompoundFileInMemory(*bytes), FailsWith(prefix->second));
        ++count;
    }
    EXPECT_GE(count, 10u);
}

TEST(CompoundFileReaderTest, RefusesStoragesNestedTooDeep)
{
    // Levels count the root storage too; 256 is the most the reader takes.
    for (const int levels : {256, 257}) {
        SCOPED_TRACE(levels);
        auto root = createCompoundFileInMemory();
        ComPtr<IStorage> storage = root;
        for (int level = 1; level < levels; ++level) {
            ComPtr<IStorage> child;
            ASSERT_HR(S_OK, storage->CreateStorage(u"Level", STGM_CREATE | STGM_READWRITE, child.put()));
            storage = child;
        }
        const auto bytes = compoundFileBytes(*root);
        ASSERT_THAT(bytes, IsOk());
        EXPECT_HR(levels <= 256 ? S_OK : STG_E_DOCFILECORRUPT, openCompoundFileInMemory(*bytes).code());
    }
}

TEST(CompoundFileReaderTest, RandomMutationsFailCleanlyOrRoundTrip)
{
    const std::vector<std::uint8_t> bases[] = {version3File(), version4File()};
    const std::uint32_t specials[] = {0,          1,          2,          0x7F, 0x1000, 0x7FFFFFFF,
                                      0xFFFFFFFA, 0xFFFFFFFC, 0xFFFFFFFD, kEnd, kFree};
    std::mt19937 random(20261208);
    std::size_t opened = 0;
    std::size_t refused = 0;
    for (int round = 0; round < 3000; ++round) {
        std::vector<std::uint8_t> bytes = bases[round % 2];
        const int changes = 1 + static_cast<int>(random() % 6);
        for (int change = 0; change < changes; ++change) {
            // Half the changes hit the header and the first sectors, where the structure lives.
            const std::size_t span = random() % 2 ? bytes.size() : std::min<std::size_t>(bytes.size(), 2048);
            const std::size_t offset = random() % span;
            switch (random() % 4) {
            case 0:
                bytes.resize(offset);
                break;
            case 1:
                if (offset + 4 <= bytes.size()) {
                    put32(bytes, offset & ~std::size_t{3}, specials[random() % std::size(specials)]);
                }
                break;
            default:
                bytes[offset] = static_cast<std::uint8_t>(random());
                break;
            }
            if (bytes.empty()) {
                break;
            }
        }
        exerciseCompoundFile(bytes);
        (openCompoundFileInMemory(bytes) ? opened : refused) += 1;
    }
    // Both outcomes occur, so the mutations neither miss the structure nor always destroy it.
    EXPECT_GT(opened, 100u);
    EXPECT_GT(refused, 100u);
}

} // namespace
