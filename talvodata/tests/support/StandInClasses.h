#pragma once

namespace talvodata::testsupport {

/// Registers small stand-ins for the event manager (the events "AR10", "AP10", "SBR50", "SBP50") and the shot
/// collection (Add, Count, Item, Match, Sighting) while the library does not register the real classes yet.
/// Classes already registered are left alone, so the real ones win as soon as they exist.
void registerStandInsWhereMissing();

} // namespace talvodata::testsupport
