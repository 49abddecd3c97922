#pragma once

namespace platform::com {
class ClassTable;
}

namespace talvodata {

/// Enters the aiming collection and the document into the table.
void registerDocumentClasses(platform::com::ClassTable& table);

} // namespace talvodata
