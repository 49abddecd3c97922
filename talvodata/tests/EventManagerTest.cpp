#include "talvodata/EventManager.h"

#include "talvodata/EventFile.h"
#include "talvodata/RegisterEvents.h"

#include "talvodata/tests/support/Bytes.h"
#include "talvodata/tests/support/EventFiles.h"
#include "talvodata/tests/support/TempFolder.h"

#include "platform/com/ClassTable.h"
#include "platform/com/EnumVariant.h"
#include "platform/testing/Matchers.h"

namespace talvodata {
namespace {

using platform::com::Bstr;
using platform::com::ComPtr;
using testsupport::Bytes;
using testsupport::makeEvent;

class EventManagerTest : public ::testing::Test {
protected:
    void save(const char* fileName, IUnknown* event)
    {
        ASSERT_HR(S_OK, writeEventFile(m_folder.path() / fileName, event));
    }

    ComPtr<CEventManager> manager() const { return CEventManager::createFromFolder(m_folder.path()); }

    static Bstr shortNameOf(IEventParams* event)
    {
        Bstr name;
        EXPECT_HR(S_OK, event->get_ShortName(name.put()));
        return name;
    }

    static LONG countOf(CEventManager& events)
    {
        LONG count = -1;
        EXPECT_HR(S_OK, events.get_Count(&count));
        return count;
    }

    testsupport::TempFolder m_folder;
};

TEST_F(EventManagerTest, EmptyOrMissingFolderGivesAWorkingEmptyList)
{
    for (const auto& folder : {m_folder.path(), m_folder.path() / "absent"}) {
        auto events = CEventManager::createFromFolder(folder);
        EXPECT_EQ(0, countOf(*events));
        ComPtr<IEventParams> found;
        EXPECT_HR(S_FALSE, events->FindByShortName(Bstr("AR10").get(), found.put()));
        EXPECT_FALSE(found);
        ComPtr<IEventParams> added;
        EXPECT_HR(S_OK, events->Add(Bstr("NEW").get(), added.put()));
        EXPECT_EQ(1, countOf(*events));
    }
}

TEST_F(EventManagerTest, SkipsFilesThatDoNotHoldAnEvent)
{
    save("A.evl", makeEvent("A")->unknown());
    testsupport::writePlainFile(m_folder.path() / "plain.evl", "not a compound file");
    testsupport::writeCompoundContents(m_folder.path() / "newer.evl", Bytes().guid(CLSID_EventParams).i32(5).bytes());
    testsupport::writeCompoundContents(
        m_folder.path() / "face.evl",
        Bytes().guid(CLSID_TargetParams).append(testsupport::savedRecord(CTargetParams::create()->unknown())).bytes());
    testsupport::writeCompoundContents(m_folder.path() / "truncated.evl",
                                       Bytes().guid(CLSID_EventParams).i32(4).bytes());
    save("other.txt", makeEvent("TXT")->unknown());
    save(".saving.evl", makeEvent("HIDDEN")->unknown());

    auto events = manager();
    ASSERT_EQ(1, countOf(*events));
    ComPtr<IEventParams> only;
    ASSERT_HR(S_OK, events->get_Item(1, only.put()));
    EXPECT_EQ(u"A", shortNameOf(only.get()).view());
}

TEST_F(EventManagerTest, FindsBySynonymOnlyWhenNoEarlierEventOwnsTheName)
{
    save("1.evl", makeEvent("ONE", "First event")->unknown());
    save("2.evl", makeEvent("TWO", "Second event", "OLD2,ONE, SPACED,,LAST")->unknown());
    auto events = manager();

    struct Case {
        const char* wanted;
        const char16_t* expected; // Null: not found.
    };
    const Case cases[] = {
        {"ONE", u"ONE"},     {"TWO", u"TWO"}, {"OLD2", u"TWO"}, {"LAST", u"TWO"},      {" SPACED", u"TWO"},
        {"SPACED", nullptr}, {"", nullptr},   {"OLD", nullptr}, {"OLD2,ONE", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.wanted);
        ComPtr<IEventParams> found;
        EXPECT_HR(c.expected ? S_OK : S_FALSE, events->FindByShortName(Bstr(c.wanted).get(), found.put()));
        EXPECT_EQ(c.expected ? std::u16string_view(c.expected) : std::u16string_view(),
                  found ? shortNameOf(found.get()).view() : std::u16string_view());
    }
    ComPtr<IEventParams> found;
    EXPECT_HR(S_FALSE, events->FindByShortName(nullptr, found.put()));
    EXPECT_HR(E_POINTER, events->FindByShortName(Bstr("ONE").get(), nullptr));
}

TEST_F(EventManagerTest, FindComparesNamesExactly)
{
    save("1.evl", makeEvent("ONE", "Air Rifle 10 Meters")->unknown());
    save("2.evl", makeEvent("NONAME")->unknown());
    auto events = manager();
    ComPtr<IEventParams> found;
    EXPECT_HR(S_OK, events->Find(Bstr("Air Rifle 10 Meters").get(), found.put()));
    EXPECT_EQ(u"ONE", shortNameOf(found.get()).view());
    EXPECT_HR(S_FALSE, events->Find(Bstr("air rifle 10 meters").get(), found.put()));
    EXPECT_FALSE(found);
    EXPECT_HR(S_FALSE, events->Find(nullptr, found.put()));
}

TEST_F(EventManagerTest, FirstFileInNameOrderWinsADuplicateShortName)
{
    save("b.evl", makeEvent("SAME", "from b")->unknown());
    save("a.evl", makeEvent("SAME", "from a")->unknown());
    auto events = manager();
    ASSERT_EQ(2, countOf(*events));
    ComPtr<IEventParams> found;
    ASSERT_HR(S_OK, events->FindByShortName(Bstr("SAME").get(), found.put()));
    Bstr name;
    ASSERT_HR(S_OK, found->get_Name(name.put()));
    EXPECT_EQ(u"from a", name.view());
}

TEST_F(EventManagerTest, ItemChecksItsIndexAndOutPointer)
{
    save("1.evl", makeEvent("ONE")->unknown());
    auto events = manager();
    ComPtr<IEventParams> event;
    EXPECT_HR(E_INVALIDARG, events->get_Item(0, event.put()));
    EXPECT_HR(E_INVALIDARG, events->get_Item(2, event.put()));
    EXPECT_HR(E_POINTER, events->get_Item(1, nullptr));
    ASSERT_HR(S_OK, events->get_Item(1, event.put()));
    IEventParams* held = event.get();
    EXPECT_HR(E_POINTER, events->get_Item(1, &held));
    EXPECT_EQ(event.get(), held);
}

TEST_F(EventManagerTest, ListIsReadOnceAndAddedEventsJoinIt)
{
    save("1.evl", makeEvent("ONE")->unknown());
    auto events = manager();
    save("2.evl", makeEvent("LATE")->unknown());
    ComPtr<IEventParams> found;
    EXPECT_HR(S_FALSE, events->FindByShortName(Bstr("LATE").get(), found.put()));

    ComPtr<IEventParams> added;
    ASSERT_HR(S_OK, events->Add(Bstr("NEW").get(), added.put()));
    LONG faces = 0;
    EXPECT_HR(S_OK, added->get_TargetCount(&faces));
    EXPECT_EQ(1, faces);
    EXPECT_HR(S_OK, events->FindByShortName(Bstr("NEW").get(), found.put()));
    EXPECT_EQ(added.get(), found.get());
    EXPECT_FALSE(std::filesystem::exists(m_folder.path() / "NEW.evl")) << "Add does not save";

    ComPtr<IUnknown> enumerator;
    ASSERT_HR(S_OK, events->get__NewEnum(enumerator.put()));
    auto variants = enumerator.queryInterface<IEnumVARIANT>();
    ASSERT_TRUE(variants);
    VARIANT items[3];
    ULONG fetched = 0;
    EXPECT_HR(S_FALSE, variants->Next(3, items, &fetched));
    EXPECT_EQ(2U, fetched);
    for (ULONG i = 0; i < fetched; ++i) {
        EXPECT_EQ(VT_DISPATCH, items[i].vt);
        EXPECT_HR(S_OK, VariantClear(&items[i]));
    }
}

TEST_F(EventManagerTest, ClassTableHandsOutOneManagerPerProcess)
{
    auto& table = platform::com::ClassTable::instance();
    ComPtr<IEventManager> first;
    ComPtr<IEventManager> second;
    ASSERT_HR(S_OK, table.createInstance(CLSID_EventManager, IEventManager::kIid, first.putVoid()));
    ASSERT_HR(S_OK, table.createInstance(CLSID_EventManager, IEventManager::kIid, second.putVoid()));
    EXPECT_EQ(first.get(), second.get());
}

} // namespace
} // namespace talvodata
