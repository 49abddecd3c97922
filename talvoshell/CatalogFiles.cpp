#include "talvoshell/CatalogFiles.h"

#include "interfaces/talvodata/Guids.h"
#include "interfaces/talvodata/ITalvoDocument.h"
#include "platform/com/Bstr.h"
#include "platform/com/ClassTable.h"
#include "platform/com/ComPtr.h"

#include <filesystem>
#include <system_error>

namespace talvoshell {

using platform::com::Bstr;
using platform::com::ComPtr;

int DeleteCatalogFile(std::u16string_view path)
{
    const std::filesystem::path practice(path);
    const std::string prefix = practice.filename().string();
    if (prefix.empty()) {
        return 0;
    }
    std::error_code error;
    int deleted = 0;
    for (const auto& entry : std::filesystem::directory_iterator(practice.parent_path(), error)) {
        const std::string name = entry.path().filename().string();
        if (name.compare(0, prefix.size(), prefix) == 0 && !entry.is_directory(error) &&
            std::filesystem::remove(entry.path(), error)) {
            ++deleted;
        }
    }
    return deleted;
}

std::u16string RenameCatalogFile(std::u16string_view path, std::u16string_view shooter,
                                 std::u16string_view catalogFolder)
{
    ComPtr<ITalvoDocument> document;
    if (FAILED(CoCreateInstance(talvodata::CLSID_TalvoDocument, nullptr, CLSCTX_ALL, ITalvoDocument::kIid,
                                document.putVoid())) ||
        FAILED(document->put_FileName(Bstr(path).get())) || FAILED(document->Load()) ||
        FAILED(document->put_ShooterName(Bstr(shooter).get())) ||
        FAILED(document->SaveUnique(Bstr(catalogFolder).get()))) {
        return {};
    }
    Bstr saved;
    if (FAILED(document->get_FileName(saved.put()))) {
        return {};
    }
    return std::u16string(saved.view());
}

} // namespace talvoshell
