#include "tools/eventgen/DefinitionFile.h"
#include "tools/eventgen/EventBuilder.h"

#include "talvodata/RegisterEvents.h"

#include "platform/com/ClassTable.h"

#include <algorithm>
#include <cstdlib>
#include <iostream>
#include <set>
#include <system_error>
#include <vector>

// Writes one "<ShortName>.evl" event-definition file for every "*.event" file of a data folder, through the
// event's own Save, into the output folder (whose old .evl files are removed first, so a deleted event goes too).
int main(int argc, char** argv)
{
    if (argc != 3) {
        std::cerr << "usage: eventgen <data/events folder> <output folder>\n";
        return 2;
    }
    const std::filesystem::path source = argv[1];
    const std::filesystem::path output = argv[2];
    talvodata::registerEventClasses(platform::com::ClassTable::instance());

    std::error_code error;
    std::filesystem::create_directories(output, error);
    std::vector<std::filesystem::path> events;
    for (const auto& entry : std::filesystem::directory_iterator(output, error)) {
        if (entry.path().extension() == ".evl") {
            std::filesystem::remove(entry.path(), error);
        }
    }
    for (const auto& entry : std::filesystem::directory_iterator(source, error)) {
        if (entry.path().extension() == ".event") {
            events.push_back(entry.path());
        }
    }
    if (error) {
        std::cerr << "eventgen: " << error.message() << "\n";
        return 1;
    }
    std::sort(events.begin(), events.end());

    // The event's Save writes into the events folder, which this names.
    setenv("TALVO_EVENTS_DIR", output.c_str(), 1);
    std::set<std::u16string> shortNames;
    for (const auto& path : events) {
        std::string message;
        const auto file = eventgen::readDefinitionFile(path, message);
        if (!file) {
            std::cerr << "eventgen: " << message << "\n";
            return 1;
        }
        auto event = eventgen::buildEvent(*file, source / "faces");
        if (!event) {
            std::cerr << "eventgen: " << event.error().detail << "\n";
            return 1;
        }
        platform::com::Bstr shortName;
        (void)event.value()->get_ShortName(shortName.put()); // Checked by buildEvent.
        if (!shortNames.insert(std::u16string(shortName.view())).second) {
            std::cerr << "eventgen: " << path.filename().string() << ": short name used twice\n";
            return 1;
        }
        if (const HRESULT hr = event.value()->Save(); FAILED(hr)) {
            std::cerr << "eventgen: " << path.filename().string() << ": saving failed with "
                      << platform::com::hresultName(hr) << "\n";
            return 1;
        }
    }
    platform::com::ClassTable::instance().clear();
    std::cout << "eventgen: " << events.size() << " event files written to " << output.string() << "\n";
    return 0;
}
