#pragma once

#include <string>
#include <string_view>

namespace talvoshell {

/// Deletes the practice's own files: those in its folder whose names begin with its file name, compared
/// literally (no pattern). Silent; the number deleted.
int DeleteCatalogFile(std::u16string_view path);

/// Loads the practice, names its shooter `shooter` and saves it under a new unique name in `catalogFolder`; the
/// new path, or empty when it does not load or save (the file then stays as it was).
std::u16string RenameCatalogFile(std::u16string_view path, std::u16string_view shooter,
                                 std::u16string_view catalogFolder);

} // namespace talvoshell
