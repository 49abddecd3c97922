#pragma once

namespace platform::com {
class ClassTable;
}

namespace talvodata {

/// Enters the classes of shot and range selections (ranges, range collections, shot collections) into the table.
void registerCollectionClasses(platform::com::ClassTable& table);

} // namespace talvodata
