#include "platform/fs/Attributes.h"

#include "platform/fs/tests/support/TemporaryFolder.h"
#include "platform/testing/Matchers.h"

#include <sys/stat.h>

using namespace platform::fs;
using platform::fs::testing::TemporaryFolder;
using platform::fs::testing::writeText;

namespace {

mode_t permissionsOf(const std::filesystem::path& path)
{
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 ? status.st_mode & 07777 : 0;
}

TEST(AttributesTest, ReadOnlyIsTheWritePermission)
{
    TemporaryFolder folder;
    const auto path = folder / "file";
    writeText(path, "x");
    ASSERT_EQ(0, ::chmod(path.c_str(), 0664));

    ASSERT_THAT(setReadOnly(path, ReadOnly::Yes), IsOk());
    EXPECT_EQ(0444u, permissionsOf(path));
    auto readOnly = isReadOnly(path);
    ASSERT_THAT(readOnly, IsOk());
    EXPECT_TRUE(*readOnly);

    ASSERT_THAT(setReadOnly(path, ReadOnly::No), IsOk());
    EXPECT_EQ(0644u, permissionsOf(path));
    readOnly = isReadOnly(path);
    ASSERT_THAT(readOnly, IsOk());
    EXPECT_FALSE(*readOnly);
}

TEST(AttributesTest, MissingFileFails)
{
    TemporaryFolder folder;
    EXPECT_THAT(isReadOnly(folder / "absent"), FailsWith(STG_E_FILENOTFOUND));
    EXPECT_THAT(setReadOnly(folder / "absent", ReadOnly::Yes), FailsWith(STG_E_FILENOTFOUND));
}

} // namespace
