#pragma once

#include "platform/serial/SerialPort.h"

#include <atomic>
#include <memory>
#include <string>

namespace talvolink::testsupport {

/// A port that takes every setting and carries no data; it counts itself in `openPorts` while it lives.
class FakeSerialPort final : public platform::serial::SerialPort {
public:
    explicit FakeSerialPort(std::shared_ptr<std::atomic<int>> openPorts) : m_openPorts(std::move(openPorts))
    {
        ++*m_openPorts;
    }
    ~FakeSerialPort() override { --*m_openPorts; }

    const std::string& devicePath() const override { return m_path; }
    platform::Result<platform::serial::SerialSettings> settings() const override { return m_settings; }
    platform::Status setSettings(const platform::serial::SerialSettings& settings) override
    {
        m_settings = settings;
        return {};
    }
    platform::serial::SerialTimeouts timeouts() const override { return m_timeouts; }
    void setTimeouts(const platform::serial::SerialTimeouts& timeouts) override { m_timeouts = timeouts; }
    platform::Status setLine(platform::serial::OutputLine, platform::serial::LineLevel) override { return {}; }
    platform::Result<platform::serial::ModemStatus> modemStatus() const override
    {
        return platform::serial::ModemStatus{true, true, false, false};
    }
    platform::Status purge(platform::serial::PurgeQueue) override { return {}; }
    platform::Result<std::size_t> bytesWaiting() const override { return std::size_t{0}; }
    platform::Result<std::size_t> read(std::span<std::uint8_t>) override { return std::size_t{0}; }
    platform::Result<std::size_t> write(std::span<const std::uint8_t> bytes) override { return bytes.size(); }

private:
    std::shared_ptr<std::atomic<int>> m_openPorts;
    std::string m_path = "/dev/fake";
    platform::serial::SerialSettings m_settings;
    platform::serial::SerialTimeouts m_timeouts;
};

} // namespace talvolink::testsupport
