#include "talvolink/qv/TalvoQVSettings.h"

#include <algorithm>

namespace talvolink {

namespace {

constexpr std::uint8_t kFramesOn = 0x80;
constexpr std::uint8_t kFramesOff = 0x81;
constexpr std::uint8_t kWindow = 0xBC;
constexpr std::uint8_t kCentre = 0x8C;
constexpr std::uint8_t kParameter = 0xBA;
constexpr std::uint8_t kPatternEnable = 0xB1;
constexpr std::uint8_t kPatternChunk = 0xB2;
constexpr std::uint8_t kPatternCommit = 0xB3;
// Pattern entries per request: 63 bytes.
constexpr std::size_t kEntriesPerChunk = 21;

enum class Hold : bool { No, Yes };

class Sequence {
public:
    Sequence(const TalvoQVSettings& wanted, TalvoQVSettings& sent, bool sendAll, QVRequestChannel& channel)
        : m_wanted(wanted), m_sent(sent), m_sendAll(sendAll), m_channel(channel)
    {
    }

    template <typename Field> bool differs(Field TalvoQVSettings::*field) const
    {
        return m_sendAll || m_wanted.*field != m_sent.*field;
    }

    bool write(std::uint8_t code, std::uint16_t value, std::uint16_t index, Hold hold,
               std::vector<std::uint8_t> data = {})
    {
        VendorRequest request{.request = code, .value = value, .index = index, .data = std::move(data)};
        if (!m_channel.ExecuteRequest(request)) {
            return false;
        }
        if (hold == Hold::Yes) {
            m_channel.HoldFrames();
        }
        return true;
    }

    // A setting carried by one request; `sent` takes it on success.
    template <typename Field>
    bool send(Field TalvoQVSettings::*field, std::uint8_t code, std::uint16_t index, Hold hold)
    {
        if (!differs(field)) {
            return true;
        }
        if (!write(code, static_cast<std::uint16_t>(m_wanted.*field), index, hold)) {
            return false;
        }
        m_sent.*field = m_wanted.*field;
        return true;
    }

    template <typename Field> bool parameter(Field TalvoQVSettings::*field, std::uint16_t number, Hold hold)
    {
        return send(field, kParameter, number, hold);
    }

    bool stopFramesForWindowChange()
    {
        const bool windowChanges = m_wanted.mode != m_sent.mode || m_wanted.windowSize != m_sent.windowSize ||
                                   m_wanted.scale != m_sent.scale || m_wanted.secondScale != m_sent.secondScale ||
                                   m_wanted.patternEnabled != m_sent.patternEnabled ||
                                   m_wanted.patterns != m_sent.patterns;
        if (!m_sent.framesOn || !windowChanges) {
            return true;
        }
        if (!write(kFramesOff, 0, 0, Hold::No)) {
            return false;
        }
        m_channel.EndAssembly();
        m_channel.HoldFrames();
        m_framesStopped = true;
        // Off now, whatever follows: should the sequence fail, the next one switches them on again.
        m_sent.framesOn = false;
        return true;
    }

    bool window()
    {
        if (!differs(&TalvoQVSettings::mode) && !differs(&TalvoQVSettings::windowSize) &&
            !differs(&TalvoQVSettings::scale) && !differs(&TalvoQVSettings::secondScale)) {
            return true;
        }
        const auto u16 = [](std::int32_t value) { return static_cast<std::uint16_t>(value); };
        std::vector<std::uint8_t> data{static_cast<std::uint8_t>(m_wanted.mode),
                                       m_wanted.scale,
                                       static_cast<std::uint8_t>(u16(m_wanted.centreX) & 0xFF),
                                       static_cast<std::uint8_t>(u16(m_wanted.centreX) >> 8),
                                       static_cast<std::uint8_t>(u16(m_wanted.centreY) & 0xFF),
                                       static_cast<std::uint8_t>(u16(m_wanted.centreY) >> 8),
                                       m_wanted.windowSize,
                                       0};
        if (!write(kWindow, m_wanted.secondScale, 0, Hold::Yes, std::move(data))) {
            return false;
        }
        m_sent.mode = m_wanted.mode;
        m_sent.scale = m_wanted.scale;
        m_sent.secondScale = m_wanted.secondScale;
        m_sent.windowSize = m_wanted.windowSize;
        m_sent.centreX = m_wanted.centreX;
        m_sent.centreY = m_wanted.centreY;
        return true;
    }

    bool centre()
    {
        if (!differs(&TalvoQVSettings::centreX) && !differs(&TalvoQVSettings::centreY)) {
            return true;
        }
        if (!write(kCentre, static_cast<std::uint16_t>(m_wanted.centreX), static_cast<std::uint16_t>(m_wanted.centreY),
                   Hold::Yes)) {
            return false;
        }
        m_sent.centreX = m_wanted.centreX;
        m_sent.centreY = m_wanted.centreY;
        return true;
    }

    bool pattern(std::size_t slot)
    {
        const std::uint8_t scale = kQVScales[slot];
        const auto& list = m_wanted.patterns[slot];
        if (!m_sendAll && m_wanted.patternEnabled[slot] == m_sent.patternEnabled[slot] &&
            list == m_sent.patterns[slot]) {
            return true;
        }
        if (!write(kPatternEnable, m_wanted.patternEnabled[slot], scale, Hold::No)) {
            return false;
        }
        m_sent.patternEnabled[slot] = m_wanted.patternEnabled[slot];
        if (!list.empty()) {
            for (std::size_t first = 0; first < list.size(); first += kEntriesPerChunk) {
                const std::size_t count = std::min(kEntriesPerChunk, list.size() - first);
                std::vector<std::uint8_t> chunk;
                chunk.reserve(count * 3);
                for (std::size_t i = first; i < first + count; ++i) {
                    chunk.push_back(static_cast<std::uint8_t>(list[i].x));
                    chunk.push_back(static_cast<std::uint8_t>(list[i].y));
                    chunk.push_back(list[i].flag);
                }
                if (!write(kPatternChunk, static_cast<std::uint16_t>(count), scale, Hold::No, std::move(chunk))) {
                    return false;
                }
            }
            if (!write(kPatternCommit, 0, scale, Hold::Yes)) {
                return false;
            }
        }
        m_sent.patterns[slot] = list;
        return true;
    }

    bool frames()
    {
        const bool due = m_framesStopped ? m_wanted.framesOn : differs(&TalvoQVSettings::framesOn);
        if (!due) {
            return true;
        }
        m_channel.EndAssembly();
        if (!write(m_wanted.framesOn ? kFramesOn : kFramesOff, 0, 0, Hold::Yes)) {
            return false;
        }
        m_sent.framesOn = m_wanted.framesOn;
        return true;
    }

private:
    const TalvoQVSettings& m_wanted;
    TalvoQVSettings& m_sent;
    const bool m_sendAll;
    QVRequestChannel& m_channel;
    bool m_framesStopped = false;
};

} // namespace

bool SendQVSettings(const TalvoQVSettings& wanted, TalvoQVSettings& sent, bool& sendAll, QVRequestChannel& channel)
{
    using S = TalvoQVSettings;
    Sequence s(wanted, sent, sendAll, channel);
    const bool done = s.stopFramesForWindowChange() && s.window() && s.centre() &&
                      s.send(&S::parameter84, 0x84, 0, Hold::Yes) && s.send(&S::parameter9D, 0x9D, 0, Hold::No) &&
                      s.parameter(&S::parameter1, 1, Hold::Yes) && s.parameter(&S::parameter2, 2, Hold::Yes) &&
                      s.parameter(&S::switch22, 22, Hold::Yes) && s.parameter(&S::switch23, 23, Hold::Yes) &&
                      s.parameter(&S::parameter18, 18, Hold::Yes) && s.parameter(&S::parameter4, 4, Hold::Yes) &&
                      s.parameter(&S::parameter5, 5, Hold::Yes) && s.parameter(&S::parameter21, 21, Hold::Yes) &&
                      s.parameter(&S::parameter6, 6, Hold::No) && s.send(&S::parameter82, 0x82, 0, Hold::No) &&
                      s.send(&S::parameter8B, 0x8B, 0, Hold::No) && s.send(&S::parameter92, 0x92, 0, Hold::No) &&
                      s.send(&S::switch9E, 0x9E, 0, Hold::No) && s.send(&S::switch9F, 0x9F, 0, Hold::No) &&
                      s.pattern(0) && s.pattern(1) && s.pattern(2) && s.parameter(&S::triggerMode, 15, Hold::Yes) &&
                      s.parameter(&S::triggerLevel, 16, Hold::Yes) && s.frames();
    if (done) {
        sendAll = false;
    }
    return done;
}

} // namespace talvolink
