#include "platform/storage/CompoundFile.h"

#include "platform/com/Bstr.h"
#include "platform/storage/tests/support/StorageHelpers.h"
#include "platform/testing/Matchers.h"

using namespace platform::storage;
using namespace platform::storage::testing;
using platform::com::ComPtr;

namespace {

constexpr CLSID kDocumentClass = platform::com::makeGuid("6B1D5A34-8C2E-4F0B-9E27-3D41A5C6B708");
constexpr CLSID kNestedClass = platform::com::makeGuid("00112233-4455-6677-8899-AABBCCDDEEFF");
constexpr DWORD kCreateWrite = STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE;
constexpr DWORD kRead = STGM_READ | STGM_SHARE_EXCLUSIVE;

ComPtr<IStorage> reopen(IStorage& storage)
{
    auto bytes = compoundFileBytes(storage);
    EXPECT_THAT(bytes, IsOk());
    if (!bytes) {
        return nullptr;
    }
    auto opened = openCompoundFileInMemory(*bytes);
    EXPECT_THAT(opened, IsOk());
    return opened ? *opened : nullptr;
}

TEST(CompoundFileTest, StreamsOfEverySizeRoundTrip)
{
    // Either side of the 64-byte mini sector, the 512-byte sector and the 4096-byte mini stream cutoff.
    const std::size_t sizes[] = {0, 1, 63, 64, 65, 511, 512, 513, 4095, 4096, 4097, 70001};
    auto storage = createCompoundFileInMemory();
    for (std::size_t i = 0; i < std::size(sizes); ++i) {
        ASSERT_HR(S_OK, writeStream(*storage, u"s" + std::u16string(1, u'a' + i), pattern(sizes[i], i)));
    }
    auto opened = reopen(*storage);
    ASSERT_TRUE(opened);
    for (std::size_t i = 0; i < std::size(sizes); ++i) {
        SCOPED_TRACE(sizes[i]);
        const auto bytes = readStream(*opened, u"s" + std::u16string(1, u'a' + i));
        ASSERT_THAT(bytes, IsOk());
        EXPECT_EQ(pattern(sizes[i], i), *bytes);
    }
}

TEST(CompoundFileTest, ManyStreamsAndNestedStoragesRoundTrip)
{
    auto storage = createCompoundFileInMemory();
    ComPtr<IStorage> nested;
    ASSERT_HR(S_OK, storage->CreateStorage(u"Nested", kCreateWrite, nested.put()));
    ASSERT_HR(S_OK, nested->SetClass(kNestedClass));
    ComPtr<IStorage> deeper;
    ASSERT_HR(S_OK, nested->CreateStorage(u"Deeper", kCreateWrite, deeper.put()));
    for (unsigned i = 0; i < 700; ++i) {
        const std::u16string name = platform::com::utf8ToUtf16("stream " + std::to_string(i));
        ASSERT_HR(S_OK, writeStream(*storage, name, pattern(i * 13, i)));
        ASSERT_HR(S_OK, writeStream(i % 2 ? *nested : *deeper, name, pattern(i, i + 1)));
    }
    const std::string tree = describeTree(*storage);
    auto opened = reopen(*storage);
    ASSERT_TRUE(opened);
    EXPECT_EQ(tree, describeTree(*opened));
    ComPtr<IStorage> openedNested;
    ASSERT_HR(S_OK, opened->OpenStorage(u"nested", kRead, openedNested.put()));
    STATSTG stat;
    ASSERT_HR(S_OK, openedNested->Stat(&stat, STATFLAG_DEFAULT));
    EXPECT_EQ(u"Nested", stat.name);
    EXPECT_EQ(kNestedClass, stat.clsid);
}

TEST(CompoundFileTest, ListsElementsInTheFormatsNameOrder)
{
    auto storage = createCompoundFileInMemory();
    for (const char16_t* name : {u"bb", u"B", u"a", u"Ab", u"ccc"}) {
        ASSERT_HR(S_OK, writeStream(*storage, name, pattern(1, 0)));
    }
    ComPtr<IStorage> child;
    ASSERT_HR(S_OK, storage->CreateStorage(u"Zz", kCreateWrite, child.put()));
    std::vector<STATSTG> elements;
    ASSERT_HR(S_OK, storage->ListElements(&elements));
    std::vector<std::u16string> names;
    for (const STATSTG& element : elements) {
        names.push_back(element.name);
    }
    // Shorter names first, then without regard to case.
    EXPECT_EQ((std::vector<std::u16string>{u"a", u"B", u"Ab", u"bb", u"Zz", u"ccc"}), names);
    EXPECT_EQ(STGTY_STORAGE, elements[4].type);
    EXPECT_EQ(STGTY_STREAM, elements[0].type);
    EXPECT_EQ(1u, elements[0].size);
}

TEST(CompoundFileTest, NamesMatchWithoutRegardToCase)
{
    auto storage = createCompoundFileInMemory();
    ASSERT_HR(S_OK, writeStream(*storage, u"Contents", pattern(10, 1)));
    ASSERT_HR(S_OK, writeStream(*storage, u"\u00c4rger", pattern(20, 2)));
    ComPtr<IStream> stream;
    EXPECT_HR(STG_E_FILEALREADYEXISTS, storage->CreateStream(u"CONTENTS", STGM_WRITE, stream.put()));
    EXPECT_FALSE(stream);

    auto opened = reopen(*storage);
    ASSERT_TRUE(opened);
    for (const char16_t* name : {u"contents", u"CONTENTS", u"Contents"}) {
        SCOPED_TRACE(platform::com::utf16ToUtf8(name));
        const auto bytes = readStream(*opened, name);
        ASSERT_THAT(bytes, IsOk());
        EXPECT_EQ(pattern(10, 1), *bytes);
    }
    const auto umlaut = readStream(*opened, u"\u00e4RGER");
    ASSERT_THAT(umlaut, IsOk());
    EXPECT_EQ(pattern(20, 2), *umlaut);

    // STGM_CREATE replaces the element whatever the case of its new name.
    ASSERT_HR(S_OK, writeStream(*storage, u"CONTENTS", pattern(3, 3)));
    std::vector<STATSTG> elements;
    ASSERT_HR(S_OK, storage->ListElements(&elements));
    ASSERT_EQ(2u, elements.size());
    EXPECT_EQ(u"CONTENTS", elements[1].name);
}

TEST(CompoundFileTest, RootClassIdentifierRoundTrips)
{
    auto storage = createCompoundFileInMemory();
    ASSERT_HR(S_OK, storage->SetClass(kDocumentClass));
    auto opened = reopen(*storage);
    ASSERT_TRUE(opened);
    STATSTG stat;
    ASSERT_HR(S_OK, opened->Stat(&stat, STATFLAG_NONAME));
    EXPECT_EQ(kDocumentClass, stat.clsid);
    EXPECT_EQ(STGTY_STORAGE, stat.type);
    EXPECT_EQ(STGM_READ, stat.mode);
}

TEST(CompoundFileTest, RefusesBadNamesModesAndPointers)
{
    auto storage = createCompoundFileInMemory();
    ComPtr<IStream> stream;
    struct Case {
        const char16_t* name;
        DWORD mode;
        HRESULT expected;
    };
    const Case cases[] = {
        {u"", kCreateWrite, STG_E_INVALIDNAME},
        {u"abcdefghijklmnopqrstuvwxyz01234", kCreateWrite, S_OK},
        {u"abcdefghijklmnopqrstuvwxyz012345", kCreateWrite, STG_E_INVALIDNAME},
        {u"a/b", kCreateWrite, STG_E_INVALIDNAME},
        {u"a\\b", kCreateWrite, STG_E_INVALIDNAME},
        {u"a:b", kCreateWrite, STG_E_INVALIDNAME},
        {u"a!b", kCreateWrite, STG_E_INVALIDNAME},
        {u"\x05SummaryInformation", kCreateWrite, S_OK},
        {u"mode", STGM_CREATE | 3, STG_E_INVALIDFLAG},
        {nullptr, kCreateWrite, STG_E_INVALIDPOINTER},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name ? platform::com::utf16ToUtf8(c.name) : "null");
        EXPECT_HR(c.expected, storage->CreateStream(c.name, c.mode, stream.put()));
        EXPECT_EQ(SUCCEEDED(c.expected), static_cast<bool>(stream));
    }
    EXPECT_HR(STG_E_INVALIDPOINTER, storage->CreateStream(u"x", kCreateWrite, nullptr));
    EXPECT_HR(STG_E_INVALIDPOINTER, storage->Stat(nullptr, STATFLAG_DEFAULT));
    EXPECT_HR(STG_E_INVALIDPOINTER, storage->ListElements(nullptr));
}

TEST(CompoundFileTest, OpenedFileRefusesChanges)
{
    auto storage = createCompoundFileInMemory();
    ASSERT_HR(S_OK, writeStream(*storage, u"Contents", pattern(5, 0)));
    ComPtr<IStorage> nested;
    ASSERT_HR(S_OK, storage->CreateStorage(u"Nested", kCreateWrite, nested.put()));
    auto opened = reopen(*storage);
    ASSERT_TRUE(opened);

    ComPtr<IStream> stream;
    ComPtr<IStorage> child;
    EXPECT_HR(STG_E_ACCESSDENIED, opened->CreateStream(u"New", kCreateWrite, stream.put()));
    EXPECT_HR(STG_E_ACCESSDENIED, opened->OpenStream(u"Contents", STGM_READWRITE, stream.put()));
    EXPECT_HR(STG_E_ACCESSDENIED, opened->CreateStorage(u"New", kCreateWrite, child.put()));
    EXPECT_HR(STG_E_ACCESSDENIED, opened->DestroyElement(u"Contents"));
    EXPECT_HR(STG_E_ACCESSDENIED, opened->SetClass(kDocumentClass));
    ASSERT_HR(S_OK, opened->OpenStorage(u"Nested", kRead, child.put()));
    EXPECT_HR(STG_E_ACCESSDENIED, child->CreateStream(u"New", kCreateWrite, stream.put()));

    ASSERT_HR(S_OK, opened->OpenStream(u"Contents", kRead, stream.put()));
    EXPECT_HR(STG_E_ACCESSDENIED, stream->Write("x", 1, nullptr));
    EXPECT_HR(STG_E_ACCESSDENIED, stream->SetSize(0));
    const auto bytes = readStream(*opened, u"Contents");
    ASSERT_THAT(bytes, IsOk());
    EXPECT_EQ(pattern(5, 0), *bytes);
}

TEST(CompoundFileTest, OpenFindsOnlyElementsOfItsKind)
{
    auto storage = createCompoundFileInMemory();
    ASSERT_HR(S_OK, writeStream(*storage, u"Stream", pattern(5, 0)));
    ComPtr<IStorage> nested;
    ASSERT_HR(S_OK, storage->CreateStorage(u"Storage", kCreateWrite, nested.put()));
    ComPtr<IStream> stream;
    EXPECT_HR(STG_E_FILENOTFOUND, storage->OpenStream(u"Storage", kRead, stream.put()));
    EXPECT_HR(STG_E_FILENOTFOUND, storage->OpenStream(u"Absent", kRead, stream.put()));
    EXPECT_HR(STG_E_FILENOTFOUND, storage->OpenStorage(u"Stream", kRead, nested.put()));
    EXPECT_FALSE(nested);
}

TEST(CompoundFileTest, DestroyElementRemovesItAndLeavesOpenObjectsUsable)
{
    auto storage = createCompoundFileInMemory();
    ComPtr<IStream> stream;
    ASSERT_HR(S_OK, storage->CreateStream(u"Doomed", kCreateWrite, stream.put()));
    ComPtr<IStorage> nested;
    ASSERT_HR(S_OK, storage->CreateStorage(u"Folder", kCreateWrite, nested.put()));
    ASSERT_HR(S_OK, writeStream(*nested, u"Inside", pattern(9, 9)));

    ASSERT_HR(S_OK, storage->DestroyElement(u"doomed"));
    ASSERT_HR(S_OK, storage->DestroyElement(u"Folder"));
    EXPECT_HR(STG_E_FILENOTFOUND, storage->DestroyElement(u"Folder"));
    // The objects still open work on detached elements that the file no longer holds.
    EXPECT_HR(S_OK, stream->Write("abc", 3, nullptr));
    EXPECT_HR(S_OK, writeStream(*nested, u"Later", pattern(1, 1)));
    std::vector<STATSTG> elements;
    ASSERT_HR(S_OK, storage->ListElements(&elements));
    EXPECT_TRUE(elements.empty());
    auto opened = reopen(*storage);
    ASSERT_TRUE(opened);
    ASSERT_HR(S_OK, opened->ListElements(&elements));
    EXPECT_TRUE(elements.empty());
}

TEST(CompoundFileTest, StreamsSeekCloneAndStat)
{
    auto storage = createCompoundFileInMemory();
    ComPtr<IStream> stream;
    ASSERT_HR(S_OK, storage->CreateStream(u"Data", kCreateWrite, stream.put()));
    ASSERT_HR(S_OK, stream->Write("abcdef", 6, nullptr));
    ULONGLONG position = 0;
    ASSERT_HR(S_OK, stream->Seek(-4, STREAM_SEEK_END, &position));
    EXPECT_EQ(2u, position);
    EXPECT_HR(STG_E_INVALIDFUNCTION, stream->Seek(-1, STREAM_SEEK_SET, &position));
    ComPtr<IStream> clone;
    ASSERT_HR(S_OK, stream->Clone(clone.put()));
    char buffer[8] = {};
    ULONG read = 0;
    ASSERT_HR(S_OK, clone->Read(buffer, sizeof buffer, &read));
    EXPECT_EQ("cdef", std::string(buffer, read));
    ASSERT_HR(S_OK, stream->SetSize(3));
    STATSTG stat;
    ASSERT_HR(S_OK, clone->Stat(&stat, STATFLAG_DEFAULT));
    EXPECT_EQ(u"Data", stat.name);
    EXPECT_EQ(3u, stat.size);
    ASSERT_HR(S_OK, clone->Read(buffer, sizeof buffer, &read));
    EXPECT_EQ(0u, read);
    EXPECT_HR(STG_E_MEDIUMFULL, stream->SetSize(0x100000000ull));
}

TEST(CompoundFileTest, BytesOnlyOfARootStorage)
{
    auto storage = createCompoundFileInMemory();
    ComPtr<IStorage> nested;
    ASSERT_HR(S_OK, storage->CreateStorage(u"Nested", kCreateWrite, nested.put()));
    EXPECT_THAT(compoundFileBytes(*nested), FailsWith(E_INVALIDARG));
}

} // namespace
