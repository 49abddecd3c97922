#pragma once

namespace platform::com {
class ClassTable;
}

namespace talvoboard {

/// Enters the target control's class into the table; programs and tests call it from main, after the document
/// model's registerClasses (the control makes an event manager when it is created).
void registerClasses(platform::com::ClassTable& table);

} // namespace talvoboard
