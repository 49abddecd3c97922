#include "talvoshell/ContextMenu.h"

#include "platform/shell/Computer.h"
#include "talvoshell/DataObject.h"
#include "talvoshell/tests/support/CatalogFixture.h"

#include <gtest/gtest.h>

#include <fstream>
#include <set>

namespace talvoshell {
namespace {

using namespace platform::shell;
using platform::com::ComPtr;

class ContextMenuTest : public testsupport::CatalogFixture {
protected:
    ContextMenuTest()
    {
        std::filesystem::create_directory(m_folder / "c");
        for (const char* name :
             {"p1.talvo", "p1.talvo.bak", "p1.talvoX", "p2.talvo", "a*.talvo", "ab.talvo", "q.talvo"}) {
            std::ofstream(m_folder / "c" / name) << "x";
        }
        publish({
            practice(path("p1.talvo"), u"AR10", u"Ann"),
            practice(path("p2.talvo"), u"AR10", u"Bob \"x\" /q"),
            practice(path("a*.talvo"), u"Air Rifle", u"Cy"),
            practice(path("q.talvo"), u"AP60", u"Dan"),
        });
        m_services->catalog->Refresh();
    }

    std::u16string path(const char* name) const { return (m_folder / "c" / name).u16string(); }
    std::set<std::string> files() const
    {
        std::set<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(m_folder / "c")) {
            names.insert(entry.path().filename().string());
        }
        return names;
    }
    ComPtr<CContextMenu> menu(const std::vector<std::u16string>& names)
    {
        return CContextMenu::Create(m_services, listOf(names).get());
    }
    static HRESULT invoke(CContextMenu& on, UINT offset)
    {
        CMINVOKECOMMANDINFO command;
        command.lpVerb = MakeIntVerb(offset);
        return on.InvokeCommand(&command);
    }
};

TEST_F(ContextMenuTest, OffersOpenNewPracticeAndDeleteAtTheirOffsets)
{
    struct Case {
        std::vector<std::u16string> names;
        UINT flags;
        HRESULT answer;
        std::vector<std::u16string> texts;
    };
    const Case cases[] = {
        {{u"AR10", u"Ann", path("p1.talvo")}, CMF_NORMAL, makeHresult(3), {u"Open", u"Delete"}},
        {{u"AR10", u"Ann"}, CMF_NORMAL, makeHresult(4), {u"Open", u"New practice", u"Delete"}},
        {{u"AR10"}, CMF_EXPLORE, makeHresult(4), {u"Open", u"New practice", u"Delete"}},
        {{u"AR10", u"Ann"}, CMF_DEFAULTONLY, makeHresult(3), {u"Open", u"Delete"}},
    };
    for (const Case& c : cases) {
        ComPtr<CContextMenu> on = menu(c.names);
        ASSERT_TRUE(on);
        std::vector<MenuItem> items{{7, u"Before", false}, {8, u"After", false}};
        EXPECT_EQ(c.answer, on->QueryContextMenu(&items, 1, 40, 100, c.flags));
        ASSERT_EQ(c.texts.size() + 2, items.size());
        EXPECT_EQ(u"Before", items.front().text);
        EXPECT_EQ(u"After", items.back().text);
        for (std::size_t i = 0; i < c.texts.size(); ++i) {
            EXPECT_EQ(c.texts[i], items[i + 1].text);
            EXPECT_EQ(41 + i, items[i + 1].id);
            EXPECT_EQ(i == 0, items[i + 1].isDefault);
        }
    }
    EXPECT_FALSE(menu({u"AR10", u"Nobody"}));
    EXPECT_FALSE(menu({})); // The root is no node.
}

TEST_F(ContextMenuTest, StartsProgramsWithArgumentVectors)
{
    const std::string desk = ProgramPath("talvodesk").string();
    struct Case {
        std::vector<std::u16string> names;
        const char* verb;
        std::vector<std::string> argv;
    };
    const Case cases[] = {
        {{u"AR10", u"Bob \"x\" /q"}, MakeIntVerb(2), {desk, "/n", "AR10", "Bob \"x\" /q"}},
        {{u"Air Rifle"}, MakeIntVerb(2), {desk, "/n", "Air Rifle", ""}},
        {{u"AR10", u"Ann", path("p1.talvo")}, MakeIntVerb(1), {desk, (m_folder / "c" / "p1.talvo").string()}},
        {{u"AR10", u"Ann", path("p1.talvo")}, "open", {desk, (m_folder / "c" / "p1.talvo").string()}},
        {{u"AR10", u"Ann"}, "open", {ProgramPath("talvo-catalog").string(), "AR10", "Ann"}},
    };
    for (const Case& c : cases) {
        m_launcher->started.clear();
        ComPtr<CContextMenu> on = menu(c.names);
        std::vector<MenuItem> items;
        (void)on->QueryContextMenu(&items, 0, 0, 100, CMF_NORMAL);
        CMINVOKECOMMANDINFO command;
        command.lpVerb = c.verb;
        EXPECT_EQ(S_OK, on->InvokeCommand(&command));
        ASSERT_EQ(1u, m_launcher->started.size());
        EXPECT_EQ(c.argv, m_launcher->started.front());
    }
    ComPtr<CContextMenu> practiceMenu = menu({u"AR10", u"Ann", path("p1.talvo")});
    std::vector<MenuItem> items;
    (void)practiceMenu->QueryContextMenu(&items, 0, 0, 100, CMF_NORMAL);
    EXPECT_EQ(E_INVALIDARG, invoke(*practiceMenu, 3)); // No "New practice" on a practice: 3 was not given out.
    EXPECT_TRUE(m_questions.empty());
}

TEST_F(ContextMenuTest, DeleteRemovesExactlyThePracticesOwnFilesAfterConfirmation)
{
    const std::set<std::string> all{"p1.talvo", "p1.talvo.bak", "p1.talvoX", "p2.talvo",
                                    "a*.talvo", "ab.talvo",     "q.talvo"};
    m_answer = false;
    ComPtr<CContextMenu> practiceMenu = menu({u"AR10", u"Ann", path("p1.talvo")});
    std::vector<MenuItem> items;
    (void)practiceMenu->QueryContextMenu(&items, 0, 0, 100, CMF_NORMAL);
    EXPECT_EQ(S_OK, invoke(*practiceMenu, 2));
    EXPECT_EQ(all, files());
    EXPECT_EQ(std::vector<std::u16string>{u"Do you want to delete those items?"}, m_questions);

    m_answer = true;
    EXPECT_EQ(S_OK, invoke(*practiceMenu, 2));
    EXPECT_EQ((std::set<std::string>{"p2.talvo", "a*.talvo", "ab.talvo", "q.talvo"}), files());

    ComPtr<CContextMenu> fixedMenu = menu({u"Air Rifle"}); // "a*" is a name, not a pattern.
    items.clear();
    (void)fixedMenu->QueryContextMenu(&items, 0, 0, 100, CMF_NORMAL);
    EXPECT_EQ(S_OK, invoke(*fixedMenu, 3));
    EXPECT_EQ((std::set<std::string>{"p2.talvo", "ab.talvo", "q.talvo"}), files());

    ComPtr<CContextMenu> eventMenu = menu({u"AR10"}); // Every practice of every shooter below it.
    items.clear();
    (void)eventMenu->QueryContextMenu(&items, 0, 0, 100, CMF_NORMAL);
    EXPECT_EQ(S_OK, invoke(*eventMenu, 3));
    EXPECT_EQ((std::set<std::string>{"ab.talvo", "q.talvo"}), files());

    publish({}); // The practice vanished from the tree: its menu does nothing.
    m_services->catalog->Refresh();
    ComPtr<CContextMenu> gone = menu({u"AP60", u"Dan"});
    EXPECT_FALSE(gone);
    EXPECT_TRUE(m_launcher->started.empty());
}

TEST_F(ContextMenuTest, DataObjectCarriesTheShellIdListArray)
{
    ItemIdPtr parent = listOf({u"AR10"});
    ItemIdPtr first = item(u"Ann");
    ItemIdPtr second = item(u"B");
    auto data = platform::com::makeComObject<CTalvoDataObject>(parent.get(),
                                                               std::vector<LPCITEMIDLIST>{first.get(), second.get()});
    FORMATETC format;
    format.cfFormat = RegisterClipboardFormat(kShellIdListFormat);
    STGMEDIUM medium;
    ASSERT_EQ(S_OK, data->GetData(&format, &medium));
    EXPECT_EQ(TYMED_HGLOBAL, medium.tymed);
    const std::uint32_t parentSize = ILGetSize(parent.get()); // 3 items and the terminator.
    std::vector<std::uint8_t> expected{2, 0, 0, 0, 16, 0, 0, 0};
    auto u32 = [&](std::uint32_t value) {
        for (int i = 0; i < 4; ++i) {
            expected.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
        }
    };
    u32(16 + parentSize);
    u32(16 + parentSize + 16);
    expected.insert(expected.end(), parent->bytes, parent->bytes + parentSize);
    expected.insert(expected.end(), {14, 0, 1, 0, 0, 0, 'A', 0, 'n', 0, 'n', 0, 0, 0, 0, 0});
    expected.insert(expected.end(), {10, 0, 1, 0, 0, 0, 'B', 0, 0, 0, 0, 0});
    EXPECT_EQ(expected, medium.hGlobal);

    struct Query {
        UINT format;
        DWORD tymed;
        HRESULT answer;
    };
    const Query queries[] = {
        {format.cfFormat, TYMED_HGLOBAL, S_OK},
        {format.cfFormat, 4, DV_E_TYMED},
        {1, TYMED_HGLOBAL, DV_E_FORMATETC},
        {1, 4, DV_E_TYMED},
    };
    for (const Query& q : queries) {
        FORMATETC asked;
        asked.cfFormat = q.format;
        asked.tymed = q.tymed;
        EXPECT_EQ(q.answer, data->QueryGetData(&asked));
    }
    FORMATETC other;
    other.cfFormat = 1;
    EXPECT_EQ(E_INVALIDARG, data->GetData(&other, &medium));
    FORMATETC canonical;
    canonical.ptd = &canonical;
    EXPECT_EQ(DATA_S_SAMEFORMATETC, data->GetCanonicalFormatEtc(&format, &canonical));
    EXPECT_EQ(nullptr, canonical.ptd);

    ComPtr<IEnumFORMATETC> formats;
    EXPECT_EQ(E_NOTIMPL, data->EnumFormatEtc(2, formats.put()));
    ASSERT_EQ(S_OK, data->EnumFormatEtc(DATADIR_GET, formats.put()));
    FORMATETC got[3];
    ULONG fetched = 0;
    EXPECT_EQ(E_INVALIDARG, formats->Next(1, nullptr, &fetched));
    EXPECT_EQ(S_FALSE, formats->Skip(1)); // Would reach the end: does not move.
    EXPECT_EQ(S_FALSE, formats->Next(3, got, &fetched));
    EXPECT_EQ(1u, fetched);
    EXPECT_EQ(format.cfFormat, got[0].cfFormat);
    EXPECT_EQ(-1, got[0].lindex);
    ComPtr<IEnumFORMATETC> copy;
    ASSERT_EQ(S_OK, formats->Clone(copy.put()));
    EXPECT_EQ(S_FALSE, copy->Next(1, got, &fetched)); // At the same cursor: the end.
    EXPECT_EQ(0u, fetched);
    EXPECT_EQ(S_OK, copy->Reset());
    EXPECT_EQ(S_OK, copy->Next(1, got, &fetched));
}

} // namespace
} // namespace talvoshell
