#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace talvodata::testsupport {

/// One aiming record of an old flat practice file.
struct LegacyAiming {
    std::int32_t version = 6;
    std::int32_t flags = 0x40;
    std::string firstComment;
    std::string secondComment;
    std::int32_t startSeconds = 0;
    std::int32_t shotSeconds = 0;
    std::int32_t shotIndex = 0;
    std::int32_t sampleRate = 200;
    std::int32_t scale = 20;
    std::vector<std::pair<std::int16_t, std::int16_t>> samples{{0, 0}};
    /// Written as the sample count in place of the number of samples.
    std::optional<std::int32_t> claimedCount;
};

/// Builds the bytes of an old flat practice file: `LegacyFileBuilder().event("Air Rifle 10 Meters").aiming(a)`.
/// Fields the importer skips are filled with recognisable junk.
class LegacyFileBuilder {
public:
    LegacyFileBuilder& version(std::int32_t value) { return set(m_version, value); }
    LegacyFileBuilder& tagLength(std::int32_t value) { return set(m_tagLength, value); }
    LegacyFileBuilder& event(std::string name) { return set(m_event, std::move(name)); }
    LegacyFileBuilder& shooter(std::string name) { return set(m_shooter, std::move(name)); }
    LegacyFileBuilder& comments(std::string first, std::string second)
    {
        m_firstComment = std::move(first);
        m_secondComment = std::move(second);
        return *this;
    }
    LegacyFileBuilder& coefficient(std::int32_t value) { return set(m_coefficient, value); }
    /// Written as the aiming count in place of the number of aimings.
    LegacyFileBuilder& claimedAimings(std::int32_t value)
    {
        m_claimedAimings = value;
        return *this;
    }
    LegacyFileBuilder& aiming(LegacyAiming record)
    {
        m_aimings.push_back(std::move(record));
        return *this;
    }

    std::vector<std::uint8_t> bytes() const
    {
        std::vector<std::uint8_t> out;
        raw(out, "TALVO", 5);
        i32(out, m_tagLength);
        out.insert(out.end(), static_cast<std::size_t>(m_tagLength > 0 ? m_tagLength : 0), 'T');
        i32(out, m_version);
        if (m_version >= 3) {
            i32(out, 0x33333333);
        }
        text(out, m_event);
        text(out, m_shooter);
        text(out, m_firstComment);
        text(out, "unused");
        text(out, m_secondComment);
        if (m_version >= 6) {
            text(out, "unused");
        }
        if (m_version >= 2) {
            i32(out, 0x22222222);
        }
        if (m_version >= 5) {
            i32(out, 0x55555555);
            i32(out, 0x55555555);
        }
        for (std::int32_t field = 1; field <= 10; ++field) {
            const auto aimings = m_claimedAimings.value_or(static_cast<std::int32_t>(m_aimings.size()));
            i32(out, field == 6 ? m_coefficient : field == 10 ? aimings : 0x0F0F0F0F);
        }
        for (const LegacyAiming& record : m_aimings) {
            aimingBytes(out, record);
        }
        return out;
    }

private:
    template <typename T> LegacyFileBuilder& set(T& field, T value)
    {
        field = std::move(value);
        return *this;
    }
    static void raw(std::vector<std::uint8_t>& out, const void* data, std::size_t size)
    {
        const auto* bytes = static_cast<const std::uint8_t*>(data);
        out.insert(out.end(), bytes, bytes + size);
    }
    static void i32(std::vector<std::uint8_t>& out, std::int32_t value) { raw(out, &value, sizeof value); }
    static void i16(std::vector<std::uint8_t>& out, std::int16_t value) { raw(out, &value, sizeof value); }
    /// An empty string is written with the count 0xFFFFFFFF, as the old program wrote it.
    static void text(std::vector<std::uint8_t>& out, const std::string& value)
    {
        i32(out, value.empty() ? -1 : static_cast<std::int32_t>(value.size()));
        raw(out, value.data(), value.size());
    }
    static void aimingBytes(std::vector<std::uint8_t>& out, const LegacyAiming& record)
    {
        i32(out, record.version);
        i32(out, record.flags);
        text(out, "unused");
        text(out, record.firstComment);
        text(out, "");
        text(out, record.secondComment);
        text(out, "unused");
        if (record.version > 1) {
            i32(out, 0x08080808);
        }
        if (record.version >= 6) {
            i16(out, 0x0909);
            i16(out, 0x0909);
        }
        i32(out, record.startSeconds);
        i32(out, 0x11111111);
        i32(out, record.shotSeconds);
        if (record.version > 4) {
            i32(out, 0x13131313);
        }
        i32(out, 0x14141414);
        i32(out, record.shotIndex);
        i32(out, record.sampleRate);
        i32(out, 0x17171717);
        i32(out, record.scale);
        if (record.version >= 4) {
            i32(out, 0x19191919);
        }
        for (int field = 0; field < 10; ++field) {
            i32(out, 0x20202020);
        }
        i32(out, record.claimedCount.value_or(static_cast<std::int32_t>(record.samples.size())));
        for (const auto& [x, y] : record.samples) {
            i16(out, x);
            i16(out, y);
        }
    }

    std::int32_t m_version = 6;
    std::int32_t m_tagLength = 21;
    std::string m_event = "Air Rifle 10 Meters";
    std::string m_shooter = "Old Shooter";
    std::string m_firstComment;
    std::string m_secondComment;
    std::int32_t m_coefficient = 0;
    std::optional<std::int32_t> m_claimedAimings;
    std::vector<LegacyAiming> m_aimings;
};

} // namespace talvodata::testsupport
