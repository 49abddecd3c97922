#pragma once

namespace talvodata::testsupport {

/// Registers what the document classes need (events with their manager, shot collections) and the document
/// classes themselves, each group only while the library's registerClasses does not register it yet.
void registerDocumentClassesWhereMissing();

} // namespace talvodata::testsupport
