#pragma once

namespace platform::com {
class ClassTable;
}

namespace talvodata {

/// Enters the event classes (target elements, target faces, events and the event manager) into the table.
void registerEventClasses(platform::com::ClassTable& table);

} // namespace talvodata
