#include "talvodata/EventParams.h"
#include "talvodata/TargetElement.h"
#include "talvodata/TargetParams.h"

#include "talvodata/tests/support/Bytes.h"

#include "platform/com/Bstr.h"
#include "platform/testing/Matchers.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <random>

// Damaged and hostile event, face and element records: each loads or fails, and never crashes, hangs or
// allocates what the bytes do not hold (run under the sanitizers).
namespace talvodata {
namespace {

using platform::com::Bstr;
using platform::com::ComPtr;
using platform::com::Variant;

using Record = std::vector<std::uint8_t>;

ComPtr<CEventParams> richEvent()
{
    auto event = CEventParams::create();
    EXPECT_HR(S_OK, event->put_Name(Bstr("Biathlon").get()));
    EXPECT_HR(S_OK, event->put_ShortName(Bstr("BTLN").get()));
    EXPECT_HR(S_OK, event->put_Caliber(5.6F));
    EXPECT_HR(S_OK, event->put_Value(Bstr("gun").get(), Variant::fromString(Bstr("rifle")).get()));
    EXPECT_HR(S_OK, event->put_Value(Bstr("_qv_target").get(), Variant::fromInt32(0).get()));
    EXPECT_HR(S_OK, event->put_Value(Bstr("_mark_size").get(), Variant::fromFloat(2.5F).get()));
    for (LONG subTarget : {1, 2}) {
        ComPtr<ITargetParams> face;
        EXPECT_HR(S_OK, event->get_Target(subTarget, face.put()));
        EXPECT_HR(S_OK, face->put_FormWidth(200));
        EXPECT_HR(S_OK, face->put_FormHeight(200));
        for (LONG n = 1; n <= 10; ++n) {
            EXPECT_HR(S_OK, face->put_Ring(n, 10.0F * float(11 - n)));
        }
        for (auto type : {elementPolyline, elementEllipse, elementRectangle, elementPolygon, elementText}) {
            ComPtr<ITargetElement> element;
            EXPECT_HR(S_OK, face->AddElement(type, -10, -10, 20, 20, element.put()));
            EXPECT_HR(S_OK, element->AddPoint(0, 0));
            EXPECT_HR(S_OK, element->AddPoint(5, 9));
            EXPECT_HR(S_OK, element->AddPoint(-3, 4));
            EXPECT_HR(S_OK, element->put_AreaIndex(static_cast<LONG>(type) + 1));
            EXPECT_HR(S_OK, element->put_Value(Bstr("text").get(), Variant::fromString(Bstr("10")).get()));
        }
    }
    return event;
}

Record saved(IUnknown* object)
{
    return testsupport::savedRecord(object);
}

template <typename T> HRESULT loadInto(const Record& bytes)
{
    auto object = T::create();
    return testsupport::loadRecord(object->unknown(), bytes);
}

HRESULT loadEventAndUseIt(const Record& bytes)
{
    auto event = CEventParams::create();
    const HRESULT hr = testsupport::loadRecord(event->unknown(), bytes);
    if (SUCCEEDED(hr)) {
        // Whatever loaded must score, find areas and save again without harm.
        float score = 0;
        LONG area = 0;
        float cx = 0;
        float cy = 0;
        for (LONG subTarget : {1, 2, 3}) {
            (void)event->GetBreachScore(1.5F, -2, subTarget, &score); // Only survival matters here.
            (void)event->GetPointArea(0, 0, subTarget, &area, &cx, &cy);
            (void)event->GetNearestArea(3, 3, subTarget, &area, &cx, &cy);
        }
        (void)saved(event->unknown());
    }
    return hr;
}

Record mutated(const Record& seed, std::mt19937& random)
{
    Record bytes = seed;
    std::uniform_int_distribution<int> mutations(1, 4);
    const int count = mutations(random);
    for (int i = 0; i < count && !bytes.empty(); ++i) {
        std::uniform_int_distribution<std::size_t> position(0, bytes.size() - 1);
        const std::size_t at = position(random);
        switch (random() % 5) {
        case 0:
            bytes[at] ^= static_cast<std::uint8_t>(1U << (random() % 8));
            break;
        case 1: {
            static constexpr std::uint8_t kInteresting[] = {0x00, 0x01, 0x7F, 0x80, 0xFF};
            bytes[at] = kInteresting[random() % std::size(kInteresting)];
            break;
        }
        case 2:
            bytes.resize(at);
            break;
        case 3: {
            // A count or a length that lies: huge, negative or zero.
            static constexpr std::int32_t kLies[] = {0x7FFFFFFF, -1, 0, 0x10000, 6};
            const std::int32_t lie = kLies[random() % std::size(kLies)];
            for (std::size_t b = 0; b < 4 && at + b < bytes.size(); ++b) {
                bytes[at + b] = static_cast<std::uint8_t>(static_cast<std::uint32_t>(lie) >> (8 * b));
            }
            break;
        }
        default:
            bytes.insert(bytes.begin() + static_cast<std::ptrdiff_t>(at), static_cast<std::uint8_t>(random()));
            break;
        }
    }
    return bytes;
}

struct Target {
    const char* name;
    Record seed;
    std::function<HRESULT(const Record&)> load;
};

std::vector<Target> targets()
{
    auto event = richEvent();
    ComPtr<ITargetParams> face;
    EXPECT_HR(S_OK, event->get_Target(1, face.put()));
    ComPtr<ITargetElement> element;
    EXPECT_HR(S_OK, face->get_Elements(4, element.put()));
    return {
        {"EventParams", saved(event->unknown()), loadEventAndUseIt},
        {"TargetParams", saved(face.get()), loadInto<CTargetParams>},
        {"TargetElement", saved(element.get()), loadInto<CTargetElement>},
    };
}

TEST(EventRecordFuzzTest, MutatedRecordsLoadOrFailCleanly)
{
    constexpr int kRounds = 2000;
    std::mt19937 random(20261208);
    for (const Target& target : targets()) {
        SCOPED_TRACE(target.name);
        ASSERT_HR(S_OK, target.load(target.seed));
        int failures = 0;
        for (int round = 0; round < kRounds; ++round) {
            if (FAILED(target.load(mutated(target.seed, random)))) {
                ++failures;
            }
        }
        // Most mutations must be noticed; a loader that accepts everything is not reading what it should.
        EXPECT_GT(failures, kRounds / 10);
    }
}

std::filesystem::path malformedFolder()
{
    if (const char* source = std::getenv("TALVO_SOURCE_DIR")) {
        return std::filesystem::path(source) / "talvodata" / "tests" / "data" / "malformed";
    }
    return std::filesystem::path(__FILE__).parent_path() / "data" / "malformed";
}

// Kept hostile records, named "<Class>-<what>.bin": each must fail to load.
TEST(EventRecordFuzzTest, KeptMalformedRecordsFail)
{
    const std::map<std::string, std::function<HRESULT(const Record&)>> loaders = {
        {"EventParams", loadEventAndUseIt},
        {"TargetParams", loadInto<CTargetParams>},
        {"TargetElement", loadInto<CTargetElement>},
    };
    int replayed = 0;
    for (const auto& entry : std::filesystem::directory_iterator(malformedFolder())) {
        const std::string name = entry.path().filename().string();
        const auto loader = loaders.find(name.substr(0, name.find('-')));
        if (loader == loaders.end()) {
            continue; // Another class's input.
        }
        SCOPED_TRACE(name);
        std::ifstream file(entry.path(), std::ios::binary);
        const Record bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        EXPECT_TRUE(FAILED(loader->second(bytes)));
        ++replayed;
    }
    EXPECT_GE(replayed, 5);
}

} // namespace
} // namespace talvodata
