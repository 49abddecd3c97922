#pragma once

namespace platform::com {
class ClassTable;
}

namespace talvodata {

/// Enters every creatable class of the document model into the table; programs and tests call it from main.
void registerClasses(platform::com::ClassTable& table);

} // namespace talvodata
