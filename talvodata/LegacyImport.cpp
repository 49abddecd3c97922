#include "talvodata/LegacyImport.h"

#include "talvodata/Aiming.h"
#include "talvodata/LegacyReader.h"

#include "interfaces/talvodata/Sampling.h"
#include "platform/com/Variant.h"
#include "platform/text/Ascii.h"
#include "platform/text/CodePage.h"

#include <array>
#include <string_view>

namespace talvodata {

using platform::com::Bstr;
using platform::com::ComPtr;
using platform::com::Variant;

namespace {

constexpr LONG kFewestSamples = 1;
constexpr LONG kMostSamples = 16380;
constexpr std::int32_t kMatchFlag = 0x40;
constexpr std::int32_t kHiddenFlag = 0x4000;
constexpr std::int32_t kPositionBits = 0x1C;

struct OldEvent {
    std::string_view name;
    const char16_t* shortName;
};

constexpr std::array kOldEvents{
    OldEvent{"Smallbore Free Rifle three Positions 50 Meters", u"SBR50"},
    OldEvent{"Smallbore Free Rifle English Match 50 Meters", u"SBR50"},
    OldEvent{"Air Pistol 10 Meters", u"AP10"},
    OldEvent{"Air Rifle 10 Meters", u"AR10"},
    OldEvent{"Smallbore Pistol 50 meters", u"SBP50"},
};

const char16_t* shortNameOf(std::string_view oldName)
{
    for (const OldEvent& event : kOldEvents) {
        if (platform::text::equalsIgnoringAsciiCase(event.name, oldName)) {
            return event.shortName;
        }
    }
    return nullptr;
}

/// Seconds since 1 January 1901 (local time, unsigned) as an OLE date.
DATE legacyDate(std::int32_t seconds)
{
    return static_cast<double>(static_cast<std::uint32_t>(seconds)) / 86400.0 + 367.0;
}

std::u16string joinComments(std::u16string_view first, std::u16string_view second)
{
    std::u16string joined(first);
    if (!second.empty()) {
        if (!joined.empty()) {
            joined += u"\r\n\r\n";
        }
        joined += second;
    }
    return joined;
}

Variant stringValue(std::u16string_view text)
{
    return Variant::fromString(Bstr(text));
}

/// One aiming record's fields, as far as they are used.
struct AimingRecord {
    std::int32_t flags = 0;
    std::u16string comment;
    std::int32_t startSeconds = 0;
    std::int32_t shotSeconds = 0;
    std::int32_t shotIndex = 0;
    std::int32_t sampleRate = 0;
    std::int32_t scale = 0;
    std::int32_t sampleCount = 0;
};

bool readAimingHead(LegacyReader& reader, AimingRecord& record)
{
    std::int32_t version = 0;
    std::string unused;
    std::string firstComment;
    std::string secondComment;
    if (!reader.int32(version) || !reader.int32(record.flags) || !reader.string(unused) ||
        !reader.string(firstComment) || !reader.string(unused) || !reader.string(secondComment) ||
        !reader.string(unused)) {
        return false;
    }
    record.comment = joinComments(platform::text::fromAnsi(firstComment), platform::text::fromAnsi(secondComment));
    return (version <= 1 || reader.skipInt32()) && (version < 6 || reader.skip(2 * 2)) &&
           reader.int32(record.startSeconds) && reader.skipInt32() && reader.int32(record.shotSeconds) &&
           (version <= 4 || reader.skipInt32()) && reader.skipInt32() && reader.int32(record.shotIndex) &&
           reader.int32(record.sampleRate) && reader.skipInt32() && reader.int32(record.scale) &&
           (version < 4 || reader.skipInt32()) && reader.skipInt32(10) && reader.int32(record.sampleCount);
}

/// Reads the samples of one record into a new aiming and adds it to the collection.
HRESULT importAiming(LegacyReader& reader, const AimingRecord& record, IEventParams* event, std::int32_t coefficient,
                     IAimingCollection& aimings)
{
    if (record.sampleRate < kLowestSampleRate || record.sampleRate > kHighestSampleRate || record.scale == 0) {
        return E_FAIL;
    }
    auto created = CAiming::create();
    if (!created) {
        return E_OUTOFMEMORY;
    }
    ComPtr<IAiming> aiming = std::move(created).value();
    ComPtr<IAimingAttr> attributes;
    ComPtr<IAimingTrace> trace;
    const VARIANT_BOOL match = (record.flags & kMatchFlag) ? VARIANT_TRUE : VARIANT_FALSE;
    const VARIANT_BOOL hidden = (record.flags & kHiddenFlag) ? VARIANT_TRUE : VARIANT_FALSE;
    RETURN_IF_FAILED(aiming->get_Attr(attributes.put()));
    RETURN_IF_FAILED(aiming->get_Trace(trace.put()));
    RETURN_IF_FAILED(attributes->put_Event(event));
    RETURN_IF_FAILED(attributes->put_Match(match));
    RETURN_IF_FAILED(attributes->put_SampleRate(record.sampleRate));

    const DATE start = legacyDate(record.startSeconds);
    const DATE shotTime = legacyDate(record.shotSeconds);
    // A shot stamped before the start dates the start back by the length of the trace.
    const DATE begin =
        shotTime < start ? shotTime - static_cast<double>(record.sampleCount) / record.sampleRate / 86400.0 : start;
    RETURN_IF_FAILED(attributes->put_StartTime(begin));
    RETURN_IF_FAILED(attributes->put_EnterTime(begin));
    RETURN_IF_FAILED(trace->put_WrapEnabled(VARIANT_FALSE));

    if (record.sampleCount < kFewestSamples || record.sampleCount > kMostSamples) {
        return E_OUTOFMEMORY;
    }
    for (std::int32_t j = 0; j < record.sampleCount; ++j) {
        std::int16_t x = 0;
        std::int16_t y = 0;
        if (!reader.int16(x) || !reader.int16(y)) {
            return E_FAIL;
        }
        // Sensor units to hundredths of a millimetre; the old files count y downwards.
        if (FAILED(trace->_Add(x * 100 / record.scale, y * -100 / record.scale))) {
            return E_OUTOFMEMORY;
        }
        if (j != record.shotIndex) {
            continue;
        }
        ComPtr<IShot> shot;
        if (FAILED(aiming->AddShot(VARIANT_FALSE, shot.put()))) {
            return E_OUTOFMEMORY;
        }
        RETURN_IF_FAILED(shot->put_ShotTime(shotTime));
        RETURN_IF_FAILED(shot->put_Hidden(hidden));
        RETURN_IF_FAILED(attributes->put_Match(match));
        if (!record.comment.empty()) {
            RETURN_IF_FAILED(shot->put_Value(Bstr(u"_comments").get(), stringValue(record.comment).get()));
        }
    }
    RETURN_IF_FAILED(trace->put_ReadOnly(VARIANT_TRUE));
    RETURN_IF_FAILED(attributes->put_FCoefficient(coefficient));
    return FAILED(aimings.Add(aiming.get())) ? E_OUTOFMEMORY : S_OK;
}

const char16_t* positionName(std::int32_t bits)
{
    switch (bits) {
    case 8:
        return u"standing";
    case 16:
        return u"prone";
    case 4:
        return u"kneeling";
    }
    return nullptr;
}

/// The tag length after the first five bytes; false when the file cannot begin an old practice.
bool readTagLength(LegacyReader& reader, std::int32_t& tagLength)
{
    return reader.skip(5) && reader.int32(tagLength) && (tagLength == 21 || tagLength == 10);
}

} // namespace

bool looksLikeLegacyPractice(std::span<const std::uint8_t> head)
{
    LegacyReader reader(head);
    std::int32_t tagLength = 0;
    return readTagLength(reader, tagLength);
}

HRESULT importLegacyPractice(std::span<const std::uint8_t> file, LegacyImportTarget& target)
{
    LegacyReader reader(file);
    std::int32_t tagLength = 0;
    std::int32_t version = 0;
    if (!readTagLength(reader, tagLength) || !reader.skip(static_cast<std::size_t>(tagLength)) ||
        !reader.int32(version)) {
        return E_FAIL;
    }
    target.fileVersionRead(version);
    std::string eventName;
    if ((version >= 3 && !reader.skipInt32()) || !reader.string(eventName)) {
        return E_FAIL;
    }
    const char16_t* shortName = shortNameOf(eventName);
    ComPtr<IEventParams> event;
    if (!shortName || target.events.FindByShortName(Bstr(shortName).get(), event.put()) != S_OK || !event) {
        return E_FAIL;
    }

    std::string shooter;
    std::string firstComment;
    std::string secondComment;
    std::string unused;
    if (!reader.string(shooter) || !reader.string(firstComment) || !reader.string(unused) ||
        !reader.string(secondComment)) {
        return E_FAIL;
    }
    RETURN_IF_FAILED(target.document.put_ShooterName(Bstr(platform::text::fromAnsi(shooter)).get()));
    const std::u16string first = platform::text::fromAnsi(firstComment);
    const std::u16string comment = first.empty() ? first : joinComments(first, platform::text::fromAnsi(secondComment));

    std::array<std::int32_t, 10> header{};
    if ((version >= 6 && !reader.string(unused)) || (version >= 2 && !reader.skipInt32()) ||
        (version >= 5 && !reader.skipInt32(2))) {
        return E_FAIL;
    }
    for (std::int32_t& field : header) {
        if (!reader.int32(field)) {
            return E_FAIL;
        }
    }
    const std::int32_t coefficient = header[5];
    const std::int32_t count = header[9];
    if (count < 0) {
        return E_FAIL;
    }

    // The document's event is set even for a practice without aimings, so that it is valid once read.
    RETURN_IF_FAILED(target.document.put_Event(event.get()));
    ComPtr<IAimingCollection> aimings;
    RETURN_IF_FAILED(target.document.get_Aimings(aimings.put()));
    std::int32_t positions = 0;
    for (std::int32_t i = 0; i < count; ++i) {
        target.progress(i, count);
        AimingRecord record;
        if (!readAimingHead(reader, record)) {
            return E_FAIL;
        }
        positions |= record.flags & kPositionBits;
        RETURN_IF_FAILED(importAiming(reader, record, event.get(), coefficient, *aimings));
    }

    if (std::u16string_view(shortName) == u"SBR50") {
        if (const char16_t* position = positionName(positions)) {
            RETURN_IF_FAILED(target.document.put_Value(Bstr(u"_position").get(), stringValue(position).get()));
        }
    }
    if (!comment.empty()) {
        RETURN_IF_FAILED(target.document.put_Value(Bstr(u"_comments").get(), stringValue(comment).get()));
    }
    return S_OK;
}

} // namespace talvodata
