#pragma once

namespace platform::com {
class ClassTable;
}

namespace talvolink {

/// Enters the device control into the table; programs and tests call it from main, after the document model's.
void registerClasses(platform::com::ClassTable& table);

} // namespace talvolink
