#include "talvodata/tests/support/DocumentFiles.h"

#include "platform/com/ComPtr.h"
#include "platform/fs/ReadFile.h"
#include "platform/storage/CompoundFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>

namespace talvodata::testsupport {

using platform::com::ComPtr;

void writeDocumentFile(const std::filesystem::path& path, const GUID& rootClass,
                       const std::vector<std::uint8_t>& contents)
{
    ComPtr<IStorage> root = platform::storage::createCompoundFileInMemory();
    ASSERT_EQ(S_OK, root->SetClass(rootClass));
    ComPtr<IStream> stream;
    ASSERT_EQ(S_OK, root->CreateStream(u"Contents", STGM_CREATE | STGM_WRITE | STGM_SHARE_EXCLUSIVE, stream.put()));
    ULONG written = 0;
    ASSERT_EQ(S_OK, stream->Write(contents.data(), static_cast<ULONG>(contents.size()), &written));
    stream.reset();
    auto bytes = platform::storage::compoundFileBytes(*root);
    ASSERT_TRUE(bytes.hasValue());
    writeFileBytes(path, *bytes);
}

std::vector<std::uint8_t> contentsOf(const std::filesystem::path& path)
{
    auto root = platform::storage::openCompoundFile(path);
    if (!root) {
        return {};
    }
    ComPtr<IStream> stream;
    if (FAILED((*root)->OpenStream(u"Contents", STGM_READ | STGM_SHARE_EXCLUSIVE, stream.put()))) {
        return {};
    }
    STATSTG stat{};
    EXPECT_EQ(S_OK, stream->Stat(&stat, STATFLAG_NONAME));
    std::vector<std::uint8_t> bytes(stat.size);
    ULONG read = 0;
    EXPECT_EQ(S_OK, stream->Read(bytes.data(), static_cast<ULONG>(bytes.size()), &read));
    return bytes;
}

std::vector<std::uint8_t> fileBytes(const std::filesystem::path& path)
{
    auto bytes = platform::fs::readWholeFile(path);
    return bytes ? *bytes : std::vector<std::uint8_t>();
}

void writeFileBytes(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    ASSERT_TRUE(out.good());
}

std::vector<std::string> namesIn(const std::filesystem::path& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

ScopedEnvironment::ScopedEnvironment(const char* name, const char* value) : m_name(name)
{
    if (const char* previous = std::getenv(name)) {
        m_hadValue = true;
        m_previous = previous;
    }
    if (value) {
        setenv(name, value, 1);
    } else {
        unsetenv(name);
    }
}

ScopedEnvironment::~ScopedEnvironment()
{
    if (m_hadValue) {
        setenv(m_name.c_str(), m_previous.c_str(), 1);
    } else {
        unsetenv(m_name.c_str());
    }
}

} // namespace talvodata::testsupport
