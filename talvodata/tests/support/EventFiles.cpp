#include "talvodata/tests/support/EventFiles.h"

#include "platform/com/Bstr.h"
#include "platform/com/Variant.h"
#include "platform/storage/CompoundFile.h"

#include <fstream>
#include <gtest/gtest.h>

namespace talvodata::testsupport {

using platform::com::Bstr;
using platform::com::ComPtr;
using platform::com::Variant;

ComPtr<CEventParams> makeEvent(const char* shortName, const char* name, const char* synonyms)
{
    auto event = CEventParams::create();
    EXPECT_EQ(S_OK, event->put_ShortName(Bstr(shortName).get()));
    if (name) {
        EXPECT_EQ(S_OK, event->put_Name(Bstr(name).get()));
    }
    if (synonyms) {
        EXPECT_EQ(S_OK, event->put_Value(Bstr("synonym").get(), Variant::fromString(Bstr(synonyms)).get()));
    }
    return event;
}

void writeCompoundContents(const std::filesystem::path& path, const std::vector<std::uint8_t>& contents)
{
    auto root = platform::storage::createCompoundFile(path, platform::storage::CreateMode::CreateOrReplace);
    ASSERT_TRUE(root);
    ComPtr<IStream> stream;
    ASSERT_EQ(S_OK,
              root.value()->CreateStream(u"Contents", STGM_CREATE | STGM_WRITE | STGM_SHARE_EXCLUSIVE, stream.put()));
    ULONG written = 0;
    ASSERT_EQ(S_OK, stream->Write(contents.data(), static_cast<ULONG>(contents.size()), &written));
    ASSERT_EQ(S_OK, root.value()->Commit(STGC_DEFAULT));
}

void writePlainFile(const std::filesystem::path& path, const std::string& text)
{
    std::ofstream(path) << text;
}

} // namespace talvodata::testsupport
