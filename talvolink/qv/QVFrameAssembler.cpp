#include "talvolink/qv/QVFrameAssembler.h"

#include "talvolink/usb/Bytes.h"

#include <algorithm>

namespace talvolink {

namespace {

constexpr std::size_t kKind = 1;
constexpr std::size_t kSize = 2;
constexpr std::size_t kLevel = 32;
constexpr std::size_t kCounter = 38;
constexpr std::uint8_t kFrameOff = 0x81;

bool startsFrame(std::uint8_t kind)
{
    return kind == 2 || kind == 3 || kind == 5;
}

} // namespace

QVFrameAssembler::QVFrameAssembler(CompleteHandler complete, DeliverHandler deliver)
    : m_complete(std::move(complete)), m_deliver(std::move(deliver))
{
}

void QVFrameAssembler::endAssembly()
{
    m_assembling = false;
    m_buffer.clear();
}

void QVFrameAssembler::reset()
{
    endAssembly();
    m_expected = 255;
    m_holdUntil = 0;
    m_previous.reset();
}

void QVFrameAssembler::push(std::uint64_t time, std::span<const std::uint8_t> packet)
{
    if (packet.empty()) {
        return;
    }
    if (packet[0] != 0) {
        onContinuation(time, packet);
        return;
    }
    if (packet.size() < 2) {
        return;
    }
    if (packet[kKind] == kFrameOff) {
        endAssembly();
        return;
    }
    if (!startsFrame(packet[kKind])) {
        return;
    }
    endAssembly();
    if (packet.size() != kQVHeaderLength) {
        return;
    }
    const std::size_t size = bytes::le16(packet, kSize);
    // A header that claims less than itself is no frame.
    if (size < kQVHeaderLength) {
        return;
    }
    std::ranges::copy(packet, m_header.begin());
    if (size == kQVHeaderLength) {
        finish(time);
        return;
    }
    m_payloadLength = size - kQVHeaderLength;
    m_assembling = true;
    m_expected = 1;
}

void QVFrameAssembler::onContinuation(std::uint64_t time, std::span<const std::uint8_t> packet)
{
    if (!m_assembling) {
        return;
    }
    if (packet[0] != m_expected) {
        endAssembly();
        return;
    }
    m_buffer.insert(m_buffer.end(), packet.begin() + 1, packet.end());
    if (m_buffer.size() < m_payloadLength) {
        ++m_expected;
        return;
    }
    m_assembling = false;
    if (m_buffer.size() != m_payloadLength) {
        m_buffer.clear();
        return;
    }
    m_complete(m_header, m_buffer);
    m_buffer.clear();
    finish(time);
}

void QVFrameAssembler::finish(std::uint64_t time)
{
    if (time < m_holdUntil) {
        return;
    }
    if (m_previous) {
        QVFrameRecord record{};
        record[0] = 2;
        std::ranges::copy(*m_previous, record.begin() + 1);
        std::copy_n(m_header.begin() + kLevel, 2, record.begin() + 1 + kLevel);
        std::copy_n(m_header.begin() + kCounter, 4, record.begin() + 1 + kCounter);
        m_deliver(record, time);
    }
    m_previous = m_header;
}

} // namespace talvolink
