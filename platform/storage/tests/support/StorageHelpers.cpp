#include "platform/storage/tests/support/StorageHelpers.h"

#include "platform/com/Bstr.h"
#include "platform/com/ComPtr.h"
#include "platform/com/LittleEndian.h"
#include "platform/storage/CompoundFile.h"

#include <cstdio>
#include <cstdlib>
#include <functional>

namespace platform::storage::testing {

using com::ComPtr;

std::vector<std::uint8_t> pattern(std::size_t size, unsigned seed)
{
    std::vector<std::uint8_t> bytes(size);
    for (std::size_t j = 0; j < size; ++j) {
        bytes[j] = static_cast<std::uint8_t>(j * 31 + seed * 7 + (j >> 8));
    }
    return bytes;
}

HRESULT writeStream(IStorage& storage, const std::u16string& name, std::span<const std::uint8_t> bytes)
{
    ComPtr<IStream> stream;
    RETURN_IF_FAILED(storage.CreateStream(name.c_str(), STGM_CREATE | STGM_WRITE | STGM_SHARE_EXCLUSIVE, stream.put()));
    ULONG written = 0;
    RETURN_IF_FAILED(stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), &written));
    return written == bytes.size() ? S_OK : STG_E_WRITEFAULT;
}

Result<std::vector<std::uint8_t>> readStream(IStorage& storage, const std::u16string& name)
{
    ComPtr<IStream> stream;
    if (const HRESULT hr = storage.OpenStream(name.c_str(), STGM_READ | STGM_SHARE_EXCLUSIVE, stream.put());
        FAILED(hr)) {
        return Error{hr, "cannot open stream"};
    }
    STATSTG stat;
    if (const HRESULT hr = stream->Stat(&stat, STATFLAG_NONAME); FAILED(hr)) {
        return Error{hr, "cannot stat stream"};
    }
    std::vector<std::uint8_t> bytes(stat.size + 1);
    ULONG read = 0;
    if (const HRESULT hr = stream->Read(bytes.data(), static_cast<ULONG>(bytes.size()), &read); FAILED(hr)) {
        return Error{hr, "cannot read stream"};
    }
    bytes.resize(read);
    return bytes;
}

namespace {

void describe(IStorage& storage, const std::string& indent, std::string& out)
{
    std::vector<STATSTG> elements;
    if (FAILED(storage.ListElements(&elements))) {
        out += indent + "<cannot list>\n";
        return;
    }
    for (const STATSTG& element : elements) {
        out += indent + com::utf16ToUtf8(element.name);
        if (element.type == STGTY_STORAGE) {
            out += "/ " + com::guidToString(element.clsid) + "\n";
            ComPtr<IStorage> child;
            if (FAILED(storage.OpenStorage(element.name.c_str(), STGM_READ, child.put()))) {
                out += indent + "<cannot open>\n";
                continue;
            }
            describe(*child, indent + "  ", out);
            continue;
        }
        const auto bytes = readStream(storage, element.name);
        if (!bytes) {
            out += " <cannot read>\n";
            continue;
        }
        std::uint32_t sum = 0;
        for (const std::uint8_t byte : *bytes) {
            sum = sum * 31 + byte;
        }
        char text[64];
        std::snprintf(text, sizeof text, " %zu bytes, sum %08x\n", bytes->size(), sum);
        out += text;
    }
}

} // namespace

std::string describeTree(IStorage& storage)
{
    STATSTG stat;
    std::string out = SUCCEEDED(storage.Stat(&stat, STATFLAG_NONAME)) ? com::guidToString(stat.clsid) + "\n" : "";
    describe(storage, "", out);
    return out;
}

void exerciseCompoundFile(std::span<const std::uint8_t> bytes)
{
    auto opened = openCompoundFileInMemory(bytes);
    if (!opened) {
        return;
    }
    const std::string tree = describeTree(**opened);
    auto written = compoundFileBytes(**opened);
    if (!written) {
        std::abort();
    }
    auto reopened = openCompoundFileInMemory(*written);
    if (!reopened || describeTree(**reopened) != tree) {
        std::fprintf(stderr, "round trip changed the tree:\n%s", tree.c_str());
        std::abort();
    }
}

namespace {

std::uint32_t u32(std::span<const std::uint8_t> bytes, std::size_t offset)
{
    return platform::com::loadLittleEndian<std::uint32_t>(&bytes[offset]);
}

struct Entry {
    std::string name;
    int type;
    int color;
    std::uint32_t left, right, child;
};

bool nameLess(const std::string& a, const std::string& b)
{
    if (a.size() != b.size()) {
        return a.size() < b.size();
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        const char x = a[i] >= 'a' && a[i] <= 'z' ? static_cast<char>(a[i] - 32) : a[i];
        const char y = b[i] >= 'a' && b[i] <= 'z' ? static_cast<char>(b[i] - 32) : b[i];
        if (x != y) {
            return x < y;
        }
    }
    return false;
}

} // namespace

std::string checkDirectoryTrees(std::span<const std::uint8_t> bytes)
{
    constexpr std::size_t kSector = 512;
    auto sectorOffset = [](std::uint32_t sector) { return kSector + std::size_t{sector} * kSector; };
    std::vector<std::uint32_t> fat;
    for (std::uint32_t i = 0; i < u32(bytes, 44) && i < 109; ++i) {
        const std::size_t at = sectorOffset(u32(bytes, 76 + 4 * i));
        for (std::size_t j = 0; j < kSector / 4; ++j) {
            fat.push_back(u32(bytes, at + 4 * j));
        }
    }
    std::vector<Entry> entries;
    for (std::uint32_t sector = u32(bytes, 48); sector < fat.size() && entries.size() < 100000; sector = fat[sector]) {
        for (std::size_t i = 0; i < kSector / 128; ++i) {
            const std::size_t at = sectorOffset(sector) + i * 128;
            Entry entry;
            const std::size_t length = (bytes[at + 64] | bytes[at + 65] << 8) / 2;
            for (std::size_t c = 0; c + 1 < length; ++c) {
                entry.name.push_back(static_cast<char>(bytes[at + 2 * c]));
            }
            entry.type = bytes[at + 66];
            entry.color = bytes[at + 67];
            entry.left = u32(bytes, at + 68);
            entry.right = u32(bytes, at + 72);
            entry.child = u32(bytes, at + 76);
            entries.push_back(entry);
        }
    }
    std::string problems;
    // Returns the black height of the subtree, checking order and colours on the way.
    std::function<int(std::uint32_t, const std::string*, const std::string*, bool)> check =
        [&](std::uint32_t id, const std::string* low, const std::string* high, bool parentRed) -> int {
        if (id == 0xFFFFFFFF) {
            return 1;
        }
        const Entry& entry = entries.at(id);
        if ((low && !nameLess(*low, entry.name)) || (high && !nameLess(entry.name, *high))) {
            problems += entry.name + " is out of order\n";
        }
        const bool red = entry.color == 0;
        if (red && parentRed) {
            problems += entry.name + " is red below a red entry\n";
        }
        const int left = check(entry.left, low, &entry.name, red);
        const int right = check(entry.right, &entry.name, high, red);
        if (left != right) {
            problems += entry.name + " has unequal black heights\n";
        }
        if (entry.child != 0xFFFFFFFF) {
            if (entries.at(entry.child).color == 0) {
                problems += "the sibling tree below " + entry.name + " has a red top\n";
            }
            (void)check(entry.child, nullptr, nullptr, false);
        }
        return left + (red ? 0 : 1);
    };
    (void)check(0, nullptr, nullptr, false);
    return problems;
}

} // namespace platform::storage::testing
