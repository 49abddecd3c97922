#include "talvoshell/TalvoFolder.h"

#include "talvoshell/CatalogItemModel.h"

#include "platform/shell/Computer.h"
#include "talvoshell/tests/support/CatalogFixture.h"
#include "talvowatch/tests/support/PracticeFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <set>

namespace talvoshell {
namespace {

using namespace platform::shell;
using platform::com::ComPtr;

class TalvoFolderTest : public testsupport::CatalogFixture {
protected:
    TalvoFolderTest()
    {
        publish({
            practice(u"/c/old-b", u"", u"", 46000.0, 0),
            practice(u"/c/old-A", u"", u"", 46005.0, 0),
            versionedOther(u"/c/odd", 46001.0),
            practice(u"/c/dan", u"Other", u"Dan"), // A shooter folder among the other files.
            practice(u"/c/new", u"AR10", u"Ann", 46002.25),
            practice(u"/c/newer", u"AR10", u"Ann", 46003.5416666667, 12),
            practice(u"/c/air", u"Air Rifle", u"bob"),
        });
    }

    /// The folder, with the tree made current as a browser's first listing does.
    static catalogcache::CatalogRecord versionedOther(std::u16string path, double date)
    {
        catalogcache::CatalogRecord record = practice(std::move(path), u"", u"", date, 3);
        record.state = catalogcache::RecordState::Other;
        return record;
    }
    ComPtr<IShellFolder> folder(const std::vector<std::u16string>& names)
    {
        m_services->catalog->Refresh();
        ComPtr<IShellFolder> bound;
        EXPECT_EQ(S_OK, BindToFolder(listOf(names).get(), bound.put()));
        return bound;
    }
    static std::u16string nameOf(IShellFolder& in, const std::u16string& item, DWORD flags = SHGDN_NORMAL)
    {
        STRRET name;
        EXPECT_EQ(S_OK, in.GetDisplayNameOf(testsupport::CatalogFixture::item(item).get(), flags, &name));
        std::u16string text(name.pOleStr);
        SHFree(name.pOleStr);
        return text;
    }
};

TEST_F(TalvoFolderTest, ComparesFoldersFirstThenByNameOrDate)
{
    ComPtr<IShellFolder> root = folder({});
    ComPtr<IShellFolder> ann = folder({u"AR10", u"Ann"});
    ComPtr<IShellFolder> rifle = folder({u"Air Rifle"});
    ComPtr<IShellFolder> other = folder({u"Other"});
    struct Case {
        IShellFolder* in;
        const char16_t* first;
        const char16_t* second;
        std::uint16_t order;
    };
    const Case cases[] = {
        {root.get(), u"air rifle", u"ar10", 0},      // Names are found case-sensitively: neither is.
        {root.get(), u"Air Rifle", u"AR10", 0xFFFF}, // Folders by name, ignoring case.
        {root.get(), u"AR10", u"Air Pistol", 1},
        {root.get(), u"AR10", u"Nowhere", 1},
        {root.get(), u"Nowhere", u"AR10", 0xFFFF},
        {ann.get(), u"/c/new", u"/c/newer", 1}, // Newer first.
        {ann.get(), u"/c/newer", u"/c/new", 0xFFFF},
        {ann.get(), u"/c/new", u"/c/new", 0},
        {other.get(), u"Dan", u"/c/odd", 0xFFFF}, // Folders before files.
        {other.get(), u"/c/odd", u"Dan", 1},
        {other.get(), u"/c/old-b", u"/c/odd", 1}, // One has a version: by date, and old-b is older.
        {other.get(), u"/c/old-A", u"/c/odd", 0xFFFF},
        {other.get(), u"/c/old-A", u"/c/old-b", 0xFFFF}, // Both of version 0: by path ignoring case.
        {rifle.get(), u"bob", u"bob", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(platform::com::utf16ToUtf8(c.first) + " vs " + platform::com::utf16ToUtf8(c.second));
        const HRESULT result = c.in->CompareIDs(0, item(c.first).get(), item(c.second).get());
        EXPECT_TRUE(SUCCEEDED(result));
        EXPECT_EQ(c.order, result & 0xFFFF);
    }
}

TEST_F(TalvoFolderTest, AttributesAreTheAndOverTheSelection)
{
    ComPtr<IShellFolder> root = folder({});
    ComPtr<IShellFolder> event = folder({u"AR10"});
    ComPtr<IShellFolder> ann = folder({u"AR10", u"Ann"});
    struct Case {
        IShellFolder* in;
        std::vector<std::u16string> items;
        ULONG attributes;
    };
    const Case cases[] = {
        {root.get(), {}, 0xA8000100},
        {root.get(), {u"Air Pistol"}, 0x28000004},
        {root.get(), {u"Air Rifle"}, 0xA8000004},
        {root.get(), {u"AR10"}, 0xA8000014},
        {event.get(), {u"Ann"}, 0x28000014},
        {ann.get(), {u"/c/new"}, 0},
        {root.get(), {u"Nowhere"}, 0},
        {root.get(), {u"Air Pistol", u"AR10"}, 0x28000004},
    };
    for (const Case& c : cases) {
        std::vector<ItemIdPtr> owned;
        std::vector<LPCITEMIDLIST> items;
        for (const auto& name : c.items) {
            owned.push_back(item(name));
            items.push_back(owned.back().get());
        }
        ULONG attributes = 0x12345678;
        EXPECT_EQ(S_OK, c.in->GetAttributesOf(static_cast<UINT>(items.size()), items.data(), &attributes));
        EXPECT_EQ(c.attributes, attributes) << items.size();
    }
}

TEST_F(TalvoFolderTest, DisplayNamesFollowTheLocalesShortDateAndTime)
{
    ComPtr<IShellFolder> event = folder({u"AR10"});
    ComPtr<IShellFolder> ann = folder({u"AR10", u"Ann"});
    EXPECT_EQ(u"Ann", nameOf(*event, u"Ann"));
    EXPECT_EQ(u"/c/old-b", nameOf(*folder({u"Other"}), u"/c/old-b")); // Version 0: the path.
    EXPECT_EQ(u"/c/newer", nameOf(*ann, u"/c/newer", SHGDN_FORPARSING));
    EXPECT_EQ(u"", nameOf(*ann, u"/c/gone"));
    // 46003.5416666667 is 13:00 on 12 December 2025; a 12-hour clock keeps its PM.
    const QString shown = QString::fromStdU16String(nameOf(*ann, u"/c/newer", SHGDN_INFOLDER));
    EXPECT_TRUE(shown.startsWith("12/12/25 1:00") && shown.endsWith("PM")) << shown.toStdString();
    EXPECT_EQ(u"12.12.25 13:00", PracticeDisplayName(46003.5416666667, QLocale(QLocale::German, QLocale::Germany)));
}

TEST_F(TalvoFolderTest, EnumeratesBindsAndNamesIcons)
{
    ComPtr<IShellFolder> event = folder({u"AR10"});
    ComPtr<IEnumIDList> items;
    ASSERT_EQ(S_OK, event->EnumObjects(nullptr, 0, items.put()));
    LPITEMIDLIST got = nullptr;
    ASSERT_EQ(S_OK, items->Next(1, &got, nullptr));
    ItemIdPtr ann(got);
    EXPECT_EQ(u"Ann", ILItemName(ann.get()));
    ComPtr<IShellFolder> shooter;
    EXPECT_EQ(S_OK, event->BindToObject(ann.get(), nullptr, IShellFolder::kIid, shooter.putVoid()));
    EXPECT_EQ(E_NOINTERFACE, event->BindToObject(ann.get(), nullptr, IExtractIconA::kIid, shooter.putVoid()));

    struct Case {
        std::vector<std::u16string> path;
        int normal;
        int open;
    };
    const Case cases[] = {
        {{u"AR10"}, 3, 2},
        {{u"AR10", u"Ann"}, 1, 4},
        {{u"AR10", u"Ann", u"/c/new"}, 5, 5},
        {{u"Other", u"/c/old-b"}, 6, 6},
        {{u"Air Pistol"}, 3, 2},
    };
    for (const Case& c : cases) {
        const ItemIcons icons = GetItemIcons(listOf(c.path).get());
        EXPECT_EQ(c.normal, icons.normal);
        EXPECT_EQ(c.open, icons.open);
    }
    ComPtr<IExtractIconA> extract;
    const LPCITEMIDLIST one[] = {ann.get()};
    ASSERT_EQ(S_OK, event->GetUIObjectOf(nullptr, 1, one, IExtractIconA::kIid, nullptr, extract.putVoid()));
    char file[260] = {};
    int index = -1;
    UINT flags = 0;
    EXPECT_EQ(S_OK, extract->GetIconLocation(GIL_OPENICON, file, sizeof file, &index, &flags));
    EXPECT_EQ(GIL_PERINSTANCE, flags);
    EXPECT_NE(std::string(file).find("talvoshell"), std::string::npos);
    EXPECT_EQ(S_FALSE, extract->Extract(file, 0, nullptr, nullptr, 16));
    const LPCITEMIDLIST two[] = {ann.get(), ann.get()};
    EXPECT_EQ(E_NOTIMPL, event->GetUIObjectOf(nullptr, 2, two, IExtractIconA::kIid, nullptr, extract.putVoid()));
}

TEST_F(TalvoFolderTest, RenamingAShooterFolderResavesItsPracticesAndDeletesTheOldFiles)
{
    const std::filesystem::path catalog = m_folder / "catalog";
    std::vector<catalogcache::CatalogRecord> records;
    for (int i = 0; i < 3; ++i) {
        const auto path = catalog / ("Ann " + std::to_string(i) + ".talvo");
        talvowatch::testsupport::PracticeSpec spec;
        spec.firstShot = 46000.5 + i;
        ASSERT_TRUE(talvowatch::testsupport::writePractice(path, spec));
        records.push_back(practice(path.u16string(), u"AR10", u"Ann", spec.firstShot));
    }
    const auto broken = catalog / "Ann broken.talvo";
    std::ofstream(broken) << "not a practice";
    records.push_back(practice(broken.u16string(), u"AR10", u"Ann"));
    publish(records);

    ComPtr<IShellFolder> event = folder({u"AR10"});
    LPITEMIDLIST renamed = nullptr;
    EXPECT_EQ(S_OK, event->SetNameOf(nullptr, item(u"Ann").get(), u"Beth", 0, &renamed));
    EXPECT_EQ(u"Beth", ILItemName(renamed));
    ILFree(renamed);

    std::set<std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(catalog)) {
        files.insert(entry.path().filename().string());
    }
    ASSERT_EQ(4u, files.size());
    EXPECT_TRUE(files.count("Ann broken.talvo")); // Does not load: stays as it was.
    EXPECT_EQ(3, std::count_if(files.begin(), files.end(), [](const std::string& name) {
                  return name.rfind("Beth ", 0) == 0 && name.size() > 11 && name.ends_with(".talvo");
              }));
}

TEST_F(TalvoFolderTest, ModelListsAFoldersItemsInItsOrderAndFilters)
{
    const auto listed = [&](const std::vector<std::u16string>& names,
                            const std::function<bool(LPCITEMIDLIST)>& include) {
        auto shown = platform::com::makeComObject<CTalvoFolder>(m_services);
        EXPECT_EQ(S_OK, shown->Initialize(listOf(names).get()));
        CatalogItemModel model(shown);
        model.Fill(include);
        std::vector<std::u16string> items;
        for (int row = 0; row < model.rowCount(); ++row) {
            items.push_back(ILItemName(model.Item(row)));
        }
        return std::pair{items, model.HoldsPractices()};
    };
    using Listing = std::pair<std::vector<std::u16string>, bool>;
    EXPECT_EQ((Listing{{u"/c/newer", u"/c/new"}, true}), listed({u"AR10", u"Ann"}, nullptr)); // Newest first.
    EXPECT_EQ((Listing{{u"Dan", u"/c/old-A", u"/c/odd", u"/c/old-b"}, false}), listed({u"Other"}, nullptr));
    const auto notNewer = [](LPCITEMIDLIST item) { return ILItemName(item) != u"/c/newer"; };
    EXPECT_EQ((Listing{{u"/c/new"}, true}), listed({u"AR10", u"Ann"}, notNewer));
    EXPECT_EQ((Listing{{}, false}), listed({u"Nowhere"}, nullptr));
}

} // namespace
} // namespace talvoshell
