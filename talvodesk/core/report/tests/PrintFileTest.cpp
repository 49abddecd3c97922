#include "talvodesk/core/report/PrintFile.h"

#include <gtest/gtest.h>

#include <unistd.h>

using namespace talvodesk;
namespace fs = std::filesystem;

namespace {

TEST(PrintFileTest, TheOfferedFileIsAValidNameInTheCatalogOrElseTheHomeFolder)
{
    const fs::path catalog = fs::temp_directory_path() / ("print-file-" + std::to_string(getpid()));
    fs::create_directories(catalog);
    const fs::path home = "/home/ann";
    struct Case {
        std::u16string_view title;
        const fs::path& catalog;
        fs::path file;
    };
    const Case cases[] = {
        // The frame's title holds the practice's date.
        {u"Talvo Professional - Ann - 12/9/25", catalog, catalog / "Talvo Professional - Ann - 12-9-25.pdf"},
        {u"Print target tool", catalog, catalog / "Print target tool.pdf"},
        {u"a\\b:c*d?e\"f<g>h|i\tj", catalog, catalog / "a-b-c-d-e-f-g-h-i-j.pdf"},
        {u" .hidden. ", catalog, catalog / "hidden.pdf"},
        {u"", catalog, catalog / "Talvo.pdf"},
        {u"./..", catalog, catalog / "-.pdf"},
        {u"Schütze", catalog, catalog / u"Schütze.pdf"},
        // No catalog yet: the home folder.
        {u"Ann", catalog / "missing", home / "Ann.pdf"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(fs::path(c.title).string());
        EXPECT_EQ(c.file, DefaultPrintFile(c.title, c.catalog, home));
    }
    fs::remove_all(catalog);
}

} // namespace
