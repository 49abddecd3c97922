#include "talvodata/tests/fuzz/FuzzSetup.h"

#include "talvodata/tests/support/DocumentFiles.h"

#include "talvodata/TalvoDocument.h"

#include "platform/com/Bstr.h"

#include <cstdint>
#include <vector>

// Fuzz entry of the practice reader. The first byte chooses what the rest is: a whole file as found on disk (a
// compound file or an old flat practice), or the stream "Contents" of a practice, so mutations reach the records.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace talvodata;
    using platform::com::Bstr;
    using platform::com::ComPtr;
    const std::filesystem::path& folder = fuzz::scratchFolder();
    if (size == 0) {
        return 0;
    }
    const std::filesystem::path path = folder / "input.talvo";
    const std::vector<std::uint8_t> rest(data + 1, data + size);
    if (data[0] & 1) {
        testsupport::writeDocumentFile(path, CLSID_TalvoDocument, rest);
    } else {
        testsupport::writeFileBytes(path, rest);
    }
    auto document = CTalvoDocument::create().value();
    if (FAILED(document->put_FileName(Bstr(path.string()).get())) || FAILED(document->Load())) {
        return 0;
    }
    ComPtr<IAimingCollection> aimings;
    LONG count = 0;
    if (FAILED(document->get_Aimings(aimings.put())) || FAILED(aimings->get_Count(&count))) {
        return 0;
    }
    for (LONG i = 0; i < count; ++i) {
        ComPtr<IAiming> aiming;
        ComPtr<IAimingTrace> trace;
        if (SUCCEEDED(aimings->get_Item(i, aiming.put())) && SUCCEEDED(aiming->get_Trace(trace.put())) && trace) {
            fuzz::touchTrace(*trace);
        }
    }
    // What loaded saves again.
    (void)document->put_FileName(Bstr((folder / "saved.talvo").string()).get());
    (void)document->Save();
    return 0;
}
